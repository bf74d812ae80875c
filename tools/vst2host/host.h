// A small VST2 host: loads a plug-in module, enters it through VSTPluginMain (or main) with a host
// callback that records every call, and drives the effect record the way a host does (open, rate,
// block size, resume, the three processing entries, parameters, chunks, close). Used by the VST2
// test host tool and the tests.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "tools/hostsignal/signal.h"
#include "vst2/aeffect.h"

namespace vst2host {

using hostsignal::Planar;
typedef AEffect*(VSTCALLBACK* EntryProc)(audioMasterCallback);

// One call the plug-in made to the host.
struct HostCall {
  VstInt32 opcode;
  VstInt32 index;
  VstIntPtr value;
  float opt;
};

// What the host answers and what it was asked. One object per plug-in instance; the callback finds
// it through the effect record (or, during VSTPluginMain, through the instance being created).
class Host {
 public:
  std::string productName = "QuibelTestHost";
  VstInt32 vendorVersion = 10203;
  VstInt32 processLevel = kVstProcessLevelRealtime;
  VstInt32 processEventsAnswer = 1;
  bool answerTime = true;
  VstTimeInfo time{};

  // The events the plug-in sent (copied during the call).
  std::vector<VstMidiEvent> midiReceived;
  std::vector<VstMidiSysexEvent> sysexReceived;

  std::vector<HostCall> Calls() const;
  std::vector<HostCall> CallsOf(VstInt32 opcode) const;
  void ClearCalls();
  VstIntPtr Answer(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                   float opt);

 private:
  mutable std::mutex mMutex;
  std::vector<HostCall> mCalls;
};

// The host callback handed to VSTPluginMain.
VstIntPtr VSTCALLBACK HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                   void* ptr, float opt);

// The loaded module and its two entry names.
class Module {
 public:
  ~Module() { Unload(); }
  // Loads the module file (in builds that link the plug-in in, takes the linked entry). Empty
  // string: success; else what failed.
  std::string Load(const std::string& path);
  void Unload();
  EntryProc Entry(const char* name) const;

 private:
  void* mHandle = nullptr;
};

// One plug-in instance.
class Instance {
 public:
  Instance() = default;
  ~Instance() { Close(); }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  // Calls the entry with the recording callback; false when it gave no usable record.
  bool Create(EntryProc entry);
  // Takes a record made some other way (a plug-in object built in-process) as this instance's.
  void Adopt(AEffect* record);
  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f);
  // effOpen, rate, block size, resume.
  void Prepare(double rate, int block);
  // effClose (the record is gone afterwards).
  void Close();

  void SetParameter(int index, float value) { effect->setParameter(effect, index, value); }
  float GetParameter(int index) { return effect->getParameter(effect, index); }
  // A value in display units through effString2Parameter; false when refused.
  bool SetParameterText(int index, const std::string& text);
  std::string Text(VstInt32 opcode, int index);  // a parameter's name, label or display text

  std::vector<uint8_t> GetChunk(int index);
  VstIntPtr SetChunk(int index, const std::vector<uint8_t>& bytes);

  // Renders whole planar signals in place, in blocks of `block` frames, through processReplacing
  // (single precision) or processDoubleReplacing.
  void Render(Planar& io, int block, bool doublePrecision);

  AEffect* effect = nullptr;
  Host host;
};

}  // namespace vst2host
