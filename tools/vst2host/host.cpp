#include "tools/vst2host/host.h"

#include <cstring>
#include <map>

namespace vst2host {

namespace {
std::mutex gRegistryMutex;
std::map<AEffect*, Host*> gHosts;   // records handed out, with their hosts
thread_local Host* gCreating = nullptr;  // the host of a VSTPluginMain call in progress

Host* HostOf(AEffect* effect) {
  std::lock_guard<std::mutex> guard(gRegistryMutex);
  auto it = gHosts.find(effect);
  if (it != gHosts.end()) return it->second;
  return gCreating;
}
}  // namespace

VstIntPtr VSTCALLBACK HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                   void* ptr, float opt) {
  Host* host = HostOf(effect);
  if (!host) return opcode == audioMasterVersion ? kVstVersion : 0;
  return host->Answer(effect, opcode, index, value, ptr, opt);
}

std::vector<HostCall> Host::Calls() const {
  std::lock_guard<std::mutex> guard(mMutex);
  return mCalls;
}

std::vector<HostCall> Host::CallsOf(VstInt32 opcode) const {
  std::vector<HostCall> out;
  for (const HostCall& c : Calls()) {
    if (c.opcode == opcode) out.push_back(c);
  }
  return out;
}

void Host::ClearCalls() {
  std::lock_guard<std::mutex> guard(mMutex);
  mCalls.clear();
}

VstIntPtr Host::Answer(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  {
    std::lock_guard<std::mutex> guard(mMutex);
    mCalls.push_back(HostCall{opcode, index, value, opt});
  }
  switch (opcode) {
    case audioMasterVersion:
      return kVstVersion;
    case audioMasterGetProductString:
      if (!ptr) return 0;
      // Hosts write at most 64 characters and a terminator.
      std::strncpy(static_cast<char*>(ptr), productName.c_str(), kVstMaxProductStrLen);
      static_cast<char*>(ptr)[kVstMaxProductStrLen] = '\0';
      return 1;
    case audioMasterGetVendorVersion:
      return vendorVersion;
    case audioMasterGetCurrentProcessLevel:
      return processLevel;
    case audioMasterGetTime:
      return answerTime ? reinterpret_cast<VstIntPtr>(&time) : 0;
    case audioMasterProcessEvents: {
      const VstEvents* events = static_cast<const VstEvents*>(ptr);
      for (VstInt32 i = 0; events && i < events->numEvents; ++i) {
        const VstEvent* e = events->events[i];
        std::lock_guard<std::mutex> guard(mMutex);
        if (e && e->type == kVstMidiType) midiReceived.push_back(*reinterpret_cast<const VstMidiEvent*>(e));
        if (e && e->type == kVstSysExType) sysexReceived.push_back(*reinterpret_cast<const VstMidiSysexEvent*>(e));
      }
      return processEventsAnswer;
    }
    default:
      return 0;
  }
}

bool Instance::Create(EntryProc entry) {
  if (!entry) return false;
  gCreating = &host;
  AEffect* e = entry(HostCallback);
  gCreating = nullptr;
  if (!e || e->magic != kEffectMagic) return false;
  Adopt(e);
  return true;
}

void Instance::Adopt(AEffect* record) {
  std::lock_guard<std::mutex> guard(gRegistryMutex);
  gHosts[record] = &host;
  effect = record;
}

VstIntPtr Instance::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void Instance::Prepare(double rate, int block) {
  Dispatch(effOpen);
  Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
  Dispatch(effSetBlockSize, 0, block);
  Dispatch(effMainsChanged, 0, 1);
}

void Instance::Close() {
  if (!effect) return;
  Dispatch(effClose);
  std::lock_guard<std::mutex> guard(gRegistryMutex);
  gHosts.erase(effect);
  effect = nullptr;
}

bool Instance::SetParameterText(int index, const std::string& text) {
  std::vector<char> buf(text.begin(), text.end());
  buf.push_back('\0');
  return Dispatch(effString2Parameter, index, 0, buf.data()) == 1;
}

std::string Instance::Text(VstInt32 opcode, int index) {
  char buf[256] = {};
  Dispatch(opcode, index, 0, buf);
  buf[sizeof buf - 1] = '\0';
  return buf;
}

std::vector<uint8_t> Instance::GetChunk(int index) {
  void* data = nullptr;
  const VstIntPtr size = Dispatch(effGetChunk, index, 0, &data);
  if (size <= 0 || !data) return {};
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(bytes, bytes + size);
}

VstIntPtr Instance::SetChunk(int index, const std::vector<uint8_t>& bytes) {
  // The host owns the bytes for the call; an empty chunk still gets a valid pointer.
  std::vector<uint8_t> copy = bytes;
  copy.push_back(0);
  return Dispatch(effSetChunk, index, static_cast<VstIntPtr>(bytes.size()), copy.data());
}

void Instance::Render(Planar& io, int block, bool doublePrecision) {
  const size_t channels = io.size();
  const size_t frames = channels ? io[0].size() : 0;
  std::vector<std::vector<float>> f(channels);
  std::vector<std::vector<double>> d(channels);
  std::vector<float*> fp(channels);
  std::vector<double*> dp(channels);
  for (size_t at = 0; at < frames; at += static_cast<size_t>(block)) {
    const size_t n = frames - at < static_cast<size_t>(block) ? frames - at : static_cast<size_t>(block);
    for (size_t c = 0; c < channels; ++c) {
      if (doublePrecision) {
        d[c].assign(io[c].begin() + static_cast<long>(at), io[c].begin() + static_cast<long>(at + n));
        dp[c] = d[c].data();
      } else {
        f[c].assign(io[c].begin() + static_cast<long>(at), io[c].begin() + static_cast<long>(at + n));
        fp[c] = f[c].data();
      }
    }
    // In place, as many hosts do: the same buffers for input and output.
    if (doublePrecision) {
      effect->processDoubleReplacing(effect, dp.data(), dp.data(), static_cast<VstInt32>(n));
    } else {
      effect->processReplacing(effect, fp.data(), fp.data(), static_cast<VstInt32>(n));
    }
    for (size_t c = 0; c < channels; ++c) {
      for (size_t k = 0; k < n; ++k) io[c][at + k] = doublePrecision ? d[c][k] : f[c][k];
    }
  }
}

}  // namespace vst2host
