#include "tools/aaxhost/aaxhost.h"

#include <cstdlib>
#include <cstring>

namespace aaxhost {

using fakehost::Call;
using fakehost::FakeObject;
using fakehost::Kind;

namespace {

// A pointer the fake host logged as "p:<hex>".
uintptr_t LoggedPointer(const std::string& arg) {
  if (arg.compare(0, 2, "p:") != 0) return 0;
  return static_cast<uintptr_t>(std::strtoull(arg.c_str() + 2, nullptr, 16));
}

// The render context record's field indexes (as the module describes them).
enum : int { kIn = 0, kOut = 1, kFrames = 3, kMidi = 5, kTransport = 7, kPrivate = 8 };

}  // namespace

std::string ModuleFileInBundle(const std::string& bundle) {
  return bundle + "/Contents/x64/QuibelOmbrelux.aaxplugin";
}

Registration ReadRegistration(const fakehost::FakeHost& fake, AAX_Result result, IACFUnknown* definition) {
  Registration r;
  r.result = result;
  r.definition = definition;
  for (const Call& c : fake.log) {
    const bool effect = c.object.compare(0, 6, "effect") == 0;
    const bool component = c.object.compare(0, 9, "component") == 0;
    if (effect && c.slot == 7 && c.args.size() == 2) {
      auto proc = reinterpret_cast<AAX_CreateProcedure>(LoggedPointer(c.args[0]));
      if (c.args[1] == "0") r.createParameters = proc;
      if (c.args[1] == "1") r.createGUI = proc;
    }
    if (component && c.slot == 16 && !c.args.empty()) {
      r.process.push_back(reinterpret_cast<AAX_ProcessProcedure>(LoggedPointer(c.args[0])));
    }
  }
  return r;
}

std::vector<uint8_t> NewChunkRecord(int32_t dataSize, uint8_t pattern) {
  std::vector<uint8_t> bytes(AAX_ChunkRecord::kHeaderSize + static_cast<size_t>(dataSize > 0 ? dataSize : 0),
                             pattern);
  RecordOf(bytes)->size = dataSize;
  return bytes;
}

// ---------------------------------------------------------------- Effect

std::string Effect::Create() {
  if (!mHost->reg.createParameters) return "no parameters create procedure";
  IACFUnknown* object = mHost->reg.createParameters();
  if (!object) return "the create procedure made nothing";
  void* face = nullptr;
  if (object->QueryInterface(AcfIds::kEffectParameters, &face) != kACFOk || !face) {
    return "no effect-parameters interface";
  }
  params = static_cast<AAX_IACFEffectParameters*>(face);
  const AAX_Result init = params->Initialize(mHost->fake.unknown->Unknown());
  if (init != kAAXOk) return "Initialize answered " + std::to_string(init);
  const AAX_Result reset = params->ResetFieldData(kPrivate, privateBlock.data(), 8);
  if (reset != kAAXOk) return "ResetFieldData answered " + std::to_string(reset);
  fields[kFrames] = &mHost->frameCount;
  fields[kMidi] = mHost->midiNode->As<void>();
  fields[kTransport] = mHost->transportNode->As<void>();
  fields[kPrivate] = privateBlock.data();
  return "";
}

void Effect::Destroy() {
  if (!params) return;
  params->Uninitialize();
  AAX_IACFEffectParameters* p = params;
  params = nullptr;
  p->Release();
}

// ---------------------------------------------------------------- Editor

std::string Editor::Create(Effect* effect) {
  if (!mHost->reg.createGUI) return "no GUI create procedure";
  IACFUnknown* object = mHost->reg.createGUI();
  if (!object) return "the GUI create procedure made nothing";
  void* face = nullptr;
  if (object->QueryInterface(AcfIds::kEffectGUI, &face) != kACFOk || !face) return "no GUI interface";
  gui = static_cast<AAX_IACFEffectGUI*>(face);
  hostUnknown = mHost->fake.NewObject(Kind::Unknown, "");
  hostUnknown->answers = mHost->fake.unknown->answers;
  if (effect && effect->params) hostUnknown->forwards = {{AcfIds::kEffectParameters, effect->params}};
  const AAX_Result init = gui->Initialize(hostUnknown->Unknown());
  if (init != kAAXOk) return "GUI Initialize answered " + std::to_string(init);
  return "";
}

void Editor::Destroy() {
  if (!gui) return;
  gui->Uninitialize();
  AAX_IACFEffectGUI* g = gui;
  gui = nullptr;
  g->Release();
}

// ---------------------------------------------------------------- Host

Host::Host() {
  fake.createSucceeding = true;
  fake.controller->succeed = true;
  fake.transport->succeed = true;
  fake.automation->succeed = true;
  fake.viewContainer->succeed = true;
  midiNode = fake.NewObject(Kind::MidiNode, "midi");
  renderTransport = fake.NewObject(Kind::RenderTransport, "rendertransport");
  renderTransport->succeed = true;
  transportNode = fake.NewObject(Kind::TransportNode, "transportnode");
  transportNode->transport = renderTransport->As<AAX_ITransport>();
}

Host::~Host() { Stop(); }

std::string Host::Start(const std::string& modulePath) {
  const std::string loaded = module.Load(modulePath);
  if (!loaded.empty()) return loaded;
  const ACFResult started = module.Entry().startup(fake.unknown->Unknown());
  if (started != kACFOk) return "ACFStartup answered " + std::to_string(started);
  IACFUnknown* definition = nullptr;
  const ACFResult registered = module.Entry().registerPlugin(fake.unknown->Unknown(), &definition);
  reg = ReadRegistration(fake, registered, definition);
  if (registered != kACFOk) return "ACFRegisterPlugin answered " + std::to_string(registered);
  if (!reg.createParameters || !reg.createGUI || reg.process.empty()) return "incomplete registration";
  return "";
}

void Host::Stop() {
  if (reg.definition) {
    reg.definition->Release();
    reg.definition = nullptr;
  }
  if (module.Loaded()) module.Entry().shutdown(fake.unknown->Unknown());
  module.Unload();
}

void Host::RenderBatch(const std::vector<Effect*>& batch, float** inputs, float** outputs, int32_t frames) {
  frameCount = frames;
  std::vector<void*> contexts;
  for (Effect* e : batch) {
    e->fields[kIn] = inputs;
    e->fields[kOut] = outputs;
    contexts.push_back(e->fields);
  }
  if (reg.process.empty() || contexts.empty()) return;
  reg.process[0](contexts.data(), contexts.data() + contexts.size());
}

void Host::RenderSignal(Effect* effect, std::vector<std::vector<double>>& io, int32_t block) {
  const size_t channels = io.size();
  const size_t frames = channels ? io[0].size() : 0;
  std::vector<std::vector<float>> f(channels);
  std::vector<float*> ptr(channels);
  for (size_t at = 0; at < frames; at += static_cast<size_t>(block)) {
    const size_t n = frames - at < static_cast<size_t>(block) ? frames - at : static_cast<size_t>(block);
    for (size_t c = 0; c < channels; ++c) {
      f[c].assign(io[c].begin() + static_cast<long>(at), io[c].begin() + static_cast<long>(at + n));
      ptr[c] = f[c].data();
    }
    RenderBatch({effect}, ptr.data(), ptr.data(), static_cast<int32_t>(n));
    for (size_t c = 0; c < channels; ++c) {
      for (size_t k = 0; k < n; ++k) io[c][at + k] = f[c][k];
    }
  }
}

}  // namespace aaxhost
