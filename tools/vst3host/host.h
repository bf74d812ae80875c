// A small VST3 host: loads a plug-in module, creates its one effect class and drives it the way a
// host does (initialize, buses, set-up, activation, processing with parameter changes, state
// through a stream, teardown). Used by the test host tool and the integration tests.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/hostsignal/signal.h"
#include "vst3/interfaces.h"

namespace vst3host {

using namespace Steinberg;
using namespace Steinberg::Vst;

// Reference counting shared by the host objects below (they live on the stack or in the host).
template <class I>
class HostObject : public I {
 public:
  virtual ~HostObject() {}
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
    if (SameIID(iid, FUnknown::iid) || SameIID(iid, I::iid)) {
      addRef();
      *obj = static_cast<I*>(this);
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return ++mRefs; }
  uint32 PLUGIN_API release() override { return --mRefs; }
  uint32 Refs() const { return mRefs; }

 private:
  std::atomic<uint32> mRefs{1};
};

class HostApplication : public HostObject<IHostApplication> {
 public:
  explicit HostApplication(std::string name) : mName(std::move(name)) {}
  void SetName(const std::string& name) { mName = name; }
  tresult PLUGIN_API getName(String128 name) override;
  tresult PLUGIN_API createInstance(TUID, TUID, void** obj) override {
    *obj = nullptr;
    return kResultFalse;
  }

 private:
  std::string mName;
};

// A growable memory stream; reads can be made to fail after a given number of bytes.
class MemoryStream : public HostObject<IBStream> {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<uint8_t> bytes) : mData(std::move(bytes)) {}
  tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override;
  tresult PLUGIN_API write(void* buffer, int32 numBytes, int32* numBytesWritten) override;
  tresult PLUGIN_API seek(int64 pos, int32 mode, int64* result) override;
  tresult PLUGIN_API tell(int64* pos) override;

  const std::vector<uint8_t>& Bytes() const { return mData; }
  void Rewind() { mPos = 0; }
  int64_t failReadsAt = -1;   // a read that would pass this position fails (-1: never)
  int64_t failWritesAt = -1;  // a write that would pass this position fails (-1: never)

 private:
  std::vector<uint8_t> mData;
  int64_t mPos = 0;
};

// A read-only stream of the given bytes followed by filler (0x41) up to length bytes in all, which
// may be far more than any memory holds; counts the bytes it delivers.
class LongStream : public HostObject<IBStream> {
 public:
  LongStream(std::vector<uint8_t> head, int64_t length) : mHead(std::move(head)), mLength(length) {}
  tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override;
  tresult PLUGIN_API write(void*, int32, int32*) override { return kResultFalse; }
  tresult PLUGIN_API seek(int64 pos, int32 mode, int64* result) override;
  tresult PLUGIN_API tell(int64* pos) override;
  int64_t delivered = 0;

 private:
  std::vector<uint8_t> mHead;
  int64_t mLength;
  int64_t mPos = 0;
};

class ParamValueQueue : public HostObject<IParamValueQueue> {
 public:
  explicit ParamValueQueue(ParamID id) : mId(id) {}
  ParamID PLUGIN_API getParameterId() override { return mId; }
  int32 PLUGIN_API getPointCount() override { return static_cast<int32>(mPoints.size()); }
  tresult PLUGIN_API getPoint(int32 index, int32& sampleOffset, ParamValue& value) override;
  tresult PLUGIN_API addPoint(int32 sampleOffset, ParamValue value, int32& index) override;

 private:
  ParamID mId;
  std::vector<std::pair<int32, ParamValue>> mPoints;
};

class ParameterChanges : public HostObject<IParameterChanges> {
 public:
  ~ParameterChanges();
  int32 PLUGIN_API getParameterCount() override { return static_cast<int32>(mQueues.size()); }
  IParamValueQueue* PLUGIN_API getParameterData(int32 index) override;
  IParamValueQueue* PLUGIN_API addParameterData(const ParamID& id, int32& index) override;
  // Adds a point (a new queue for a new id).
  void Add(ParamID id, int32 offset, ParamValue value);
  void Clear();
  bool nullQueueFirst = false;  // getParameterData(0) answers null (a host quirk)

 private:
  std::vector<ParamValueQueue*> mQueues;
};

class EventList : public HostObject<IEventList> {
 public:
  int32 PLUGIN_API getEventCount() override { return static_cast<int32>(mEvents.size()); }
  tresult PLUGIN_API getEvent(int32 index, Event& e) override;
  tresult PLUGIN_API addEvent(Event& e) override;

 private:
  std::vector<Event> mEvents;
};

// The host's parameter context menu: records where it was asked to pop up.
class ContextMenu : public HostObject<IContextMenu> {
 public:
  explicit ContextMenu(std::vector<std::string>* log) : mLog(log) {}
  int32 PLUGIN_API getItemCount() override { return 0; }
  tresult PLUGIN_API getItem(int32, IContextMenuItem&, IContextMenuTarget** target) override {
    if (target) *target = nullptr;
    return kResultFalse;
  }
  tresult PLUGIN_API addItem(const IContextMenuItem&, IContextMenuTarget*) override { return kResultOk; }
  tresult PLUGIN_API removeItem(const IContextMenuItem&, IContextMenuTarget*) override { return kResultOk; }
  tresult PLUGIN_API popup(UCoord x, UCoord y) override;

 private:
  std::vector<std::string>* mLog;
};

// Answers IComponentHandler3 for the component handler: context menus for a parameter.
class MenuProvider : public HostObject<IComponentHandler3> {
 public:
  explicit MenuProvider(std::vector<std::string>* log) : mLog(log), mMenu(log) {}
  IContextMenu* PLUGIN_API createContextMenu(IPlugView* view, const ParamID* id) override;
  uint32 MenuRefs() const { return mMenu.Refs(); }

 private:
  std::vector<std::string>* mLog;
  ContextMenu mMenu;
};

// Records the edits and restarts the plug-in announces, and the context menus it asks for (through
// IComponentHandler3).
class ComponentHandler : public HostObject<IComponentHandler> {
 public:
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override;
  tresult PLUGIN_API beginEdit(ParamID id) override;
  tresult PLUGIN_API performEdit(ParamID id, ParamValue value) override;
  tresult PLUGIN_API endEdit(ParamID id) override;
  tresult PLUGIN_API restartComponent(int32 flags) override;
  std::vector<std::string> calls;
  bool offersMenus = true;  // answers IComponentHandler3
  MenuProvider menus{&calls};
};

// The loaded module: its library handle and factory.
class Module {
 public:
  ~Module() { Unload(); }
  // Loads the module file (or, in builds that link the plug-in in, uses the linked factory). Runs
  // InitDll when present and gets the factory. Empty string: success; else what failed.
  std::string Load(const std::string& path);
  // Releases the factory, runs ExitDll when present and unloads the module.
  void Unload();
  IPluginFactory* Factory() const { return mFactory; }
  void* Handle() const { return mHandle; }

 private:
  void* mHandle = nullptr;
  IPluginFactory* mFactory = nullptr;
};

// Where the module's file lies inside a bundle folder, for this process's architecture.
std::string ModuleFileInBundle(const std::string& bundle);

// One plug-in instance, driven as a host drives it.
class Instance {
 public:
  Instance() = default;
  ~Instance() { Destroy(); }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  // createInstance with the class id of class 0 and initialize with a host application. Empty
  // string: success; else what failed.
  std::string Create(IPluginFactory* factory, const std::string& hostName = "QuibelTestHost");
  // Bus arrangement (1 or 2 channels), activation of the main buses, processing set-up and
  // setActive(true).
  tresult Prepare(double rate, int32 maxBlock, int32 sampleSize, int channels = 2);
  // Processes one block in place on the given channel buffers (float or double by sampleSize),
  // with the given parameter changes (may be null).
  tresult Process(int32 sampleSize, void** inputs, void** outputs, int channels, int32 frames,
                  IParameterChanges* changes = nullptr, ProcessContext* context = nullptr);
  // Renders whole signals in blocks of `block` frames (channels x frames, planar).
  void Render(std::vector<std::vector<double>>& io, int32 block, int32 sampleSize,
              IParameterChanges* firstBlockChanges = nullptr);
  // Renders the signal `passes` times from separate input to output buffers, timing only the
  // process calls; the fastest pass in wall-clock nanoseconds per frame.
  double TimeRender(const std::vector<std::vector<double>>& in, int32 block, int32 sampleSize, int passes);
  std::vector<uint8_t> GetState();
  tresult SetState(const std::vector<uint8_t>& bytes);
  // setActive(false), terminate, release.
  void Destroy();

  IComponent* component = nullptr;
  IAudioProcessor* processor = nullptr;
  IEditController* controller = nullptr;
  HostApplication host{"QuibelTestHost"};
};

// Normalised value of a plain value for parameter id, through the controller.
double Normalized(IEditController* c, ParamID id, double plain);

// Signal measurement and files shared with the VST2 host.
using hostsignal::Measure;
using hostsignal::ReadWav;
using hostsignal::SignalStats;
using hostsignal::ToDb;
using hostsignal::WriteWav;

}  // namespace vst3host
