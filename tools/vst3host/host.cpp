#include "tools/vst3host/host.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace vst3host {

tresult PLUGIN_API HostApplication::getName(String128 name) {
  size_t i = 0;
  for (; i < 127 && i < mName.size(); ++i) name[i] = static_cast<char16>(static_cast<uint8_t>(mName[i]));
  name[i] = 0;
  return kResultOk;
}

// ---------------------------------------------------------------- MemoryStream

tresult PLUGIN_API MemoryStream::read(void* buffer, int32 numBytes, int32* numBytesRead) {
  if (numBytesRead) *numBytesRead = 0;
  if (numBytes < 0 || !buffer) return kInvalidArgument;
  int64_t n = static_cast<int64_t>(mData.size()) - mPos;
  if (n > numBytes) n = numBytes;
  if (n < 0) n = 0;
  if (failReadsAt >= 0 && mPos + n > failReadsAt) return kResultFalse;
  if (n > 0) std::memcpy(buffer, mData.data() + mPos, static_cast<size_t>(n));
  mPos += n;
  if (numBytesRead) *numBytesRead = static_cast<int32>(n);
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::write(void* buffer, int32 numBytes, int32* numBytesWritten) {
  if (numBytesWritten) *numBytesWritten = 0;
  if (numBytes < 0 || (numBytes > 0 && !buffer)) return kInvalidArgument;
  if (failWritesAt >= 0 && mPos + numBytes > failWritesAt) return kResultFalse;
  if (mPos + numBytes > static_cast<int64_t>(mData.size())) mData.resize(static_cast<size_t>(mPos + numBytes));
  if (numBytes > 0) std::memcpy(mData.data() + mPos, buffer, static_cast<size_t>(numBytes));
  mPos += numBytes;
  if (numBytesWritten) *numBytesWritten = numBytes;
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::seek(int64 pos, int32 mode, int64* result) {
  int64_t base = mode == kIBSeekSet ? 0 : (mode == kIBSeekCur ? mPos : static_cast<int64_t>(mData.size()));
  if (mode < 0 || mode > 2 || base + pos < 0) return kInvalidArgument;
  mPos = base + pos;
  if (result) *result = mPos;
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::tell(int64* pos) {
  if (!pos) return kInvalidArgument;
  *pos = mPos;
  return kResultOk;
}

// ---------------------------------------------------------------- LongStream

tresult PLUGIN_API LongStream::read(void* buffer, int32 numBytes, int32* numBytesRead) {
  if (numBytesRead) *numBytesRead = 0;
  if (!buffer || numBytes < 0) return kInvalidArgument;
  int64_t n = mLength - mPos < numBytes ? mLength - mPos : numBytes;
  if (n < 0) n = 0;
  uint8_t* out = static_cast<uint8_t*>(buffer);
  for (int64_t i = 0; i < n; ++i, ++mPos) {
    out[i] = mPos < static_cast<int64_t>(mHead.size()) ? mHead[static_cast<size_t>(mPos)] : 0x41;
  }
  delivered += n;
  if (numBytesRead) *numBytesRead = static_cast<int32>(n);
  return kResultOk;
}

tresult PLUGIN_API LongStream::seek(int64 pos, int32 mode, int64* result) {
  const int64_t base = mode == kIBSeekSet ? 0 : (mode == kIBSeekCur ? mPos : mLength);
  if (mode < 0 || mode > 2 || base + pos < 0) return kInvalidArgument;
  mPos = base + pos;
  if (result) *result = mPos;
  return kResultOk;
}

tresult PLUGIN_API LongStream::tell(int64* pos) {
  if (!pos) return kInvalidArgument;
  *pos = mPos;
  return kResultOk;
}

// ---------------------------------------------------------------- parameter changes and events

tresult PLUGIN_API ParamValueQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value) {
  if (index < 0 || index >= getPointCount()) return kResultFalse;
  sampleOffset = mPoints[static_cast<size_t>(index)].first;
  value = mPoints[static_cast<size_t>(index)].second;
  return kResultTrue;
}

tresult PLUGIN_API ParamValueQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index) {
  mPoints.emplace_back(sampleOffset, value);
  index = getPointCount() - 1;
  return kResultTrue;
}

ParameterChanges::~ParameterChanges() { Clear(); }

IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData(int32 index) {
  if (index < 0 || index >= getParameterCount()) return nullptr;
  if (index == 0 && nullQueueFirst) return nullptr;
  return mQueues[static_cast<size_t>(index)];
}

IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData(const ParamID& id, int32& index) {
  for (size_t i = 0; i < mQueues.size(); ++i) {
    if (mQueues[i]->getParameterId() == id) {
      index = static_cast<int32>(i);
      return mQueues[i];
    }
  }
  mQueues.push_back(new ParamValueQueue(id));
  index = getParameterCount() - 1;
  return mQueues.back();
}

void ParameterChanges::Add(ParamID id, int32 offset, ParamValue value) {
  int32 index = 0, point = 0;
  addParameterData(id, index)->addPoint(offset, value, point);
}

void ParameterChanges::Clear() {
  for (ParamValueQueue* q : mQueues) delete q;
  mQueues.clear();
}

tresult PLUGIN_API EventList::getEvent(int32 index, Event& e) {
  if (index < 0 || index >= getEventCount()) return kResultFalse;
  e = mEvents[static_cast<size_t>(index)];
  return kResultTrue;
}

tresult PLUGIN_API EventList::addEvent(Event& e) {
  mEvents.push_back(e);
  return kResultTrue;
}

tresult PLUGIN_API ContextMenu::popup(UCoord x, UCoord y) {
  if (mLog) mLog->push_back("popup " + std::to_string(x) + "," + std::to_string(y));
  return kResultOk;
}

IContextMenu* PLUGIN_API MenuProvider::createContextMenu(IPlugView*, const ParamID* id) {
  if (mLog) mLog->push_back(id ? "menu " + std::to_string(*id) : std::string("menu"));
  mMenu.addRef();
  return &mMenu;
}

tresult PLUGIN_API ComponentHandler::queryInterface(const TUID iid, void** obj) {
  if (offersMenus && SameIID(iid, IComponentHandler3::iid)) {
    menus.addRef();
    *obj = static_cast<IComponentHandler3*>(&menus);
    return kResultOk;
  }
  return HostObject<IComponentHandler>::queryInterface(iid, obj);
}

tresult PLUGIN_API ComponentHandler::beginEdit(ParamID id) {
  calls.push_back("begin " + std::to_string(id));
  return kResultOk;
}
tresult PLUGIN_API ComponentHandler::performEdit(ParamID id, ParamValue value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "perform %u %.6f", static_cast<unsigned>(id), value);
  calls.push_back(buf);
  return kResultOk;
}
tresult PLUGIN_API ComponentHandler::endEdit(ParamID id) {
  calls.push_back("end " + std::to_string(id));
  return kResultOk;
}
tresult PLUGIN_API ComponentHandler::restartComponent(int32 flags) {
  calls.push_back("restart " + std::to_string(flags));
  return kResultOk;
}

// ---------------------------------------------------------------- instance

std::string Instance::Create(IPluginFactory* factory, const std::string& hostName) {
  if (!factory) return "no factory";
  host.SetName(hostName);
  PClassInfo info;
  if (factory->getClassInfo(0, &info) != kResultOk) return "getClassInfo(0) failed";
  void* obj = nullptr;
  if (factory->createInstance(info.cid, IComponent::iid.bytes, &obj) != kResultOk || !obj) {
    return "createInstance failed";
  }
  component = static_cast<IComponent*>(obj);
  processor = QueryTo<IAudioProcessor>(component);
  controller = QueryTo<IEditController>(component);
  if (!processor || !controller) return "the component is not also processor and controller";
  if (component->initialize(&host) != kResultOk) return "initialize failed";
  return "";
}

tresult Instance::Prepare(double rate, int32 maxBlock, int32 sampleSize, int channels) {
  SpeakerArrangement arr = channels == 1 ? SpeakerArr::kMono : SpeakerArr::kStereo;
  tresult r = processor->setBusArrangements(&arr, 1, &arr, 1);
  if (r != kResultOk) return r;
  component->activateBus(kAudio, kInput, 0, true);
  component->activateBus(kAudio, kOutput, 0, true);
  ProcessSetup setup{kRealtime, sampleSize, maxBlock, rate};
  r = processor->setupProcessing(setup);
  if (r != kResultOk) return r;
  r = component->setActive(true);
  if (r != kResultOk) return r;
  // As hosts do, anything but kResultOk from setProcessing is a failed activation.
  return processor->setProcessing(true);
}

tresult Instance::Process(int32 sampleSize, void** inputs, void** outputs, int channels,
                          int32 frames, IParameterChanges* changes, ProcessContext* context) {
  AudioBusBuffers in{}, out{};
  in.numChannels = out.numChannels = channels;
  in.channelBuffers32 = reinterpret_cast<Sample32**>(inputs);
  out.channelBuffers32 = reinterpret_cast<Sample32**>(outputs);
  ProcessData data{};
  data.processMode = kRealtime;
  data.symbolicSampleSize = sampleSize;
  data.numSamples = frames;
  data.numInputs = inputs ? 1 : 0;
  data.numOutputs = outputs ? 1 : 0;
  data.inputs = inputs ? &in : nullptr;
  data.outputs = outputs ? &out : nullptr;
  data.inputParameterChanges = changes;
  data.processContext = context;
  return processor->process(data);
}

void Instance::Render(std::vector<std::vector<double>>& io, int32 block, int32 sampleSize,
                      IParameterChanges* firstBlockChanges) {
  const int channels = static_cast<int>(io.size());
  const size_t frames = channels ? io[0].size() : 0;
  std::vector<std::vector<float>> f(static_cast<size_t>(channels));
  std::vector<std::vector<double>> d(static_cast<size_t>(channels));
  for (size_t at = 0; at < frames; at += static_cast<size_t>(block)) {
    const int32 n = static_cast<int32>(frames - at < static_cast<size_t>(block) ? frames - at : block);
    std::vector<void*> inPtr(static_cast<size_t>(channels)), outPtr(static_cast<size_t>(channels));
    for (int c = 0; c < channels; ++c) {
      if (sampleSize == kSample32) {
        f[c].assign(io[c].begin() + static_cast<long>(at), io[c].begin() + static_cast<long>(at) + n);
        inPtr[c] = outPtr[c] = f[c].data();
      } else {
        d[c].assign(io[c].begin() + static_cast<long>(at), io[c].begin() + static_cast<long>(at) + n);
        inPtr[c] = outPtr[c] = d[c].data();
      }
    }
    Process(sampleSize, inPtr.data(), outPtr.data(), channels, n, at == 0 ? firstBlockChanges : nullptr);
    for (int c = 0; c < channels; ++c) {
      for (int32 k = 0; k < n; ++k) {
        io[c][at + static_cast<size_t>(k)] = sampleSize == kSample32 ? f[c][k] : d[c][k];
      }
    }
  }
}

double Instance::TimeRender(const std::vector<std::vector<double>>& in, int32 block, int32 sampleSize,
                            int passes) {
  const int channels = static_cast<int>(in.size());
  const size_t frames = channels ? in[0].size() : 0;
  std::vector<std::vector<float>> fIn(in.size()), fOut(in.size());
  std::vector<std::vector<double>> dIn(in.size()), dOut(in.size());
  for (size_t c = 0; c < in.size(); ++c) {
    fIn[c].assign(in[c].begin(), in[c].end());
    fOut[c].assign(frames, 0.0f);
    dIn[c] = in[c];
    dOut[c].assign(frames, 0.0);
  }
  double best = 1e300;
  std::vector<void*> inPtr(in.size()), outPtr(in.size());
  for (int pass = 0; pass < passes; ++pass) {
    const auto t0 = std::chrono::steady_clock::now();
    for (size_t at = 0; at < frames; at += static_cast<size_t>(block)) {
      const int32 n = static_cast<int32>(frames - at < static_cast<size_t>(block) ? frames - at : block);
      for (size_t c = 0; c < in.size(); ++c) {
        inPtr[c] = sampleSize == kSample32 ? static_cast<void*>(fIn[c].data() + at) : dIn[c].data() + at;
        outPtr[c] = sampleSize == kSample32 ? static_cast<void*>(fOut[c].data() + at) : dOut[c].data() + at;
      }
      Process(sampleSize, inPtr.data(), outPtr.data(), channels, n);
    }
    const auto t1 = std::chrono::steady_clock::now();
    const double s = std::chrono::duration<double>(t1 - t0).count();
    if (s < best) best = s;
  }
  double sum = 0.0;  // the output is read, so no pass can be left out
  for (size_t c = 0; c < in.size(); ++c) {
    for (size_t i = 0; i < frames; ++i) sum += sampleSize == kSample32 ? fOut[c][i] : dOut[c][i];
  }
  volatile double sink = sum;
  (void)sink;
  return frames ? best * 1e9 / static_cast<double>(frames) : 0.0;
}

std::vector<uint8_t> Instance::GetState() {
  MemoryStream s;
  if (component->getState(&s) != kResultOk) return {};
  return s.Bytes();
}

tresult Instance::SetState(const std::vector<uint8_t>& bytes) {
  MemoryStream s(bytes);
  return component->setState(&s);
}

void Instance::Destroy() {
  if (component) {
    if (processor) processor->setProcessing(false);
    component->setActive(false);
    component->terminate();
  }
  if (controller) controller->release();
  if (processor) processor->release();
  if (component) component->release();
  component = nullptr;
  processor = nullptr;
  controller = nullptr;
}

double Normalized(IEditController* c, ParamID id, double plain) { return c->plainParamToNormalized(id, plain); }

}  // namespace vst3host
