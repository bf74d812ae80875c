// A small AAX host on the fake host objects of the AAX tests: loads the module, starts it and lets
// it register its effect (capturing the create procedures and the process procedure from what the
// module told the fake descriptors), creates effect and editor objects, initialises them with the
// fake controller, renders through render context records, moves chunks through 56-byte-header
// records, opens the editor in a view and tears everything down. Used by the AAX test host tool and
// the tests that drive the module as a host does.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "aax/aaxhost.h"
#include "tests/aax/fakehost.h"

namespace aaxhost {

// The module's seven exports.
struct Exports {
  ACFResult (*registerPlugin)(IACFUnknown*, IACFUnknown**) = nullptr;
  ACFResult (*registerComponent)(IACFUnknown*, const AcfID&, IACFUnknown**) = nullptr;
  ACFResult (*getClassFactory)(IACFUnknown*, const AcfID&, const AcfID&, void**) = nullptr;
  ACFResult (*canUnloadNow)(IACFUnknown*) = nullptr;
  ACFResult (*startup)(IACFUnknown*) = nullptr;
  ACFResult (*shutdown)(IACFUnknown*) = nullptr;
  ACFResult (*getSdkVersion)(uint64_t*) = nullptr;
};

// The loaded module (in builds that link the plug-in in, the linked entry points).
class Module {
 public:
  ~Module() { Unload(); }
  // Empty string: success; else what failed (a missing export among them).
  std::string Load(const std::string& path);
  // Frees the library; true when it was loaded and is freed.
  bool Unload();
  const Exports& Entry() const { return mExports; }
  bool Loaded() const { return mHandle != nullptr; }

 private:
  void* mHandle = nullptr;
  Exports mExports;
};

// The module file inside an .aaxplugin folder.
std::string ModuleFileInBundle(const std::string& bundle);

// What the module registered: its create procedures by id and its process procedures.
struct Registration {
  AAX_Result result = 0;
  IACFUnknown* definition = nullptr;  // counted reference the host keeps
  AAX_CreateProcedure createParameters = nullptr;
  AAX_CreateProcedure createGUI = nullptr;
  std::vector<AAX_ProcessProcedure> process;  // one per component
};

// Reads the registration out of the fake host's log.
Registration ReadRegistration(const fakehost::FakeHost& fake, AAX_Result result, IACFUnknown* definition);

class Host;

// One effect instance: its parameters object, private block and render context record.
class Effect {
 public:
  explicit Effect(Host* host) : mHost(host) {}
  ~Effect() { Destroy(); }
  Effect(const Effect&) = delete;
  Effect& operator=(const Effect&) = delete;

  // Create procedure 0, the effect-parameters interface, Initialize with the fake controller and
  // ResetFieldData of the private block. Empty string: success.
  std::string Create();
  // Uninitialize and release.
  void Destroy();

  AAX_IACFEffectParameters* params = nullptr;  // counted reference
  std::vector<uint8_t> privateBlock = std::vector<uint8_t>(8, 0);
  void* fields[10] = {};

 private:
  Host* mHost;
};

// One editor object, initialised with a host unknown that hands out its effect.
class Editor {
 public:
  explicit Editor(Host* host) : mHost(host) {}
  ~Editor() { Destroy(); }
  Editor(const Editor&) = delete;
  Editor& operator=(const Editor&) = delete;

  std::string Create(Effect* effect);
  void Destroy();

  AAX_IACFEffectGUI* gui = nullptr;  // counted reference
  fakehost::FakeObject* hostUnknown = nullptr;

 private:
  Host* mHost;
};

class Host {
 public:
  Host();
  ~Host();

  // Loads the module and runs ACFStartup and ACFRegisterPlugin. Empty string: success.
  std::string Start(const std::string& modulePath);
  // Releases the definition, ACFShutdown, and frees the module.
  void Stop();

  // Renders one block of each effect of the batch on float channel arrays (in place allowed): every
  // effect gets the same buffers.
  void RenderBatch(const std::vector<Effect*>& batch, float** inputs, float** outputs, int32_t frames);
  // Renders a whole planar signal in blocks through one effect (float channels, in place).
  void RenderSignal(Effect* effect, std::vector<std::vector<double>>& io, int32_t block);

  fakehost::FakeHost fake;
  Module module;
  Registration reg;
  fakehost::FakeObject* midiNode;       // poisoned: nothing may call it
  fakehost::FakeObject* transportNode;  // hands out renderTransport
  fakehost::FakeObject* renderTransport;
  int32_t frameCount = 0;
};

// A chunk record of the given data size, its header bytes filled with a pattern.
std::vector<uint8_t> NewChunkRecord(int32_t dataSize, uint8_t pattern = 0xA5);
inline AAX_ChunkRecord* RecordOf(std::vector<uint8_t>& bytes) {
  return reinterpret_cast<AAX_ChunkRecord*>(bytes.data());
}

}  // namespace aaxhost
