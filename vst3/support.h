// Support classes for the VST3 binding: reference-counted objects, the component and controller
// bases with bus lists and the parameter container, the single-component effect, the plug-in
// factory, the plug-in view base, a small array template and UTF-16 string helpers. Their default
// behaviours are the ones VST3 hosts are used to.
#pragma once

#include <atomic>
#include <cstdlib>
#include <new>

#include "vst3/interfaces.h"

namespace Steinberg {

typedef const char* FClassID;

// ---------------------------------------------------------------- strings

// Widens 8-bit text to UTF-16 (each byte one code unit), at most dstUnits - 1 units and a 0.
void str8ToStr16(char16* dst, const char8* src, int32 dstUnits);
// Narrows UTF-16 text to 8 bits (the low byte of each unit), at most dstBytes - 1 bytes and a 0.
void str16ToStr8(char8* dst, const char16* src, int32 dstBytes);
// Length of a 0-terminated UTF-16 text, counting at most maxUnits units.
int32 strlen16(const char16* s, int32 maxUnits);

// ---------------------------------------------------------------- array

// Growable array of plain values; allocation failures are reported, never thrown.
template <class T>
class TArray {
 public:
  explicit TArray(int32 initialCapacity = 10) { reserve(initialCapacity); }
  ~TArray() { std::free(mData); }
  TArray(const TArray&) = delete;
  TArray& operator=(const TArray&) = delete;

  int32 total() const { return mCount; }
  T& at(int32 i) const { return mData[i]; }
  bool add(const T& v) {
    if (mCount == mCapacity && !reserve(mCapacity > 0 ? mCapacity * 2 : 10)) return false;
    mData[mCount++] = v;
    return true;
  }
  // Removes the first entry equal to v; false when there is none.
  bool remove(const T& v) {
    for (int32 i = 0; i < mCount; ++i) {
      if (mData[i] == v) {
        for (int32 k = i + 1; k < mCount; ++k) mData[k - 1] = mData[k];
        --mCount;
        return true;
      }
    }
    return false;
  }
  void removeAll() { mCount = 0; }
  // Frees the storage.
  void freeStorage() {
    std::free(mData);
    mData = nullptr;
    mCount = mCapacity = 0;
  }

 private:
  bool reserve(int32 capacity) {
    if (capacity <= mCapacity) return true;
    T* p = static_cast<T*>(std::realloc(mData, sizeof(T) * static_cast<size_t>(capacity)));
    if (!p) return false;
    mData = p;
    mCapacity = capacity;
    return true;
  }
  T* mData = nullptr;
  int32 mCount = 0;
  int32 mCapacity = 0;
};

// ---------------------------------------------------------------- reference-counted object

class FObject : public FUnknown {
 public:
  FObject() = default;
  virtual ~FObject() {}
  FObject(const FObject&) = delete;
  FObject& operator=(const FObject&) = delete;

  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override;
  uint32 PLUGIN_API addRef() override;
  uint32 PLUGIN_API release() override;

  virtual FClassID isA() const { return "FObject"; }
  // Whether the object is of the named class, or (askBaseClass) derives from it.
  virtual bool isTypeOf(FClassID name, bool askBaseClass = true) const;

  uint32 refCount() const { return mRefCount.load(); }

 protected:
  std::atomic<uint32> mRefCount{1};
};

bool SameClassName(FClassID a, FClassID b);

namespace Vst {

// ---------------------------------------------------------------- buses

struct Bus {
  String128 name;
  BusType busType;
  int32 flags;
  bool active;
  virtual ~Bus() {}
  virtual int32 channelCount() const = 0;
  // Fills info from this bus; the media type and direction come from the list.
  void fillInfo(BusInfo& info) const;
};

struct AudioBus : Bus {
  SpeakerArrangement arrangement;
  int32 channelCount() const override { return SpeakerArr::getChannelCount(arrangement); }
};

struct EventBus : Bus {
  int32 channels;
  int32 channelCount() const override { return channels; }
};

// Owning list of buses of one media type and direction.
class BusList {
 public:
  BusList(MediaType type, BusDirection dir) : mType(type), mDirection(dir) {}
  ~BusList() { removeAll(); }
  BusList(const BusList&) = delete;
  BusList& operator=(const BusList&) = delete;

  int32 total() const { return mBuses.total(); }
  Bus* at(int32 i) const { return i >= 0 && i < total() ? mBuses.at(i) : nullptr; }
  // Takes ownership; false (and the bus deleted) when it cannot be kept.
  bool append(Bus* bus);
  // Replaces bus i (deleting the old one); false when i is out of range.
  bool replace(int32 i, Bus* bus);
  void removeAll();
  MediaType type() const { return mType; }
  BusDirection direction() const { return mDirection; }

 private:
  MediaType mType;
  BusDirection mDirection;
  TArray<Bus*> mBuses;
};

// ---------------------------------------------------------------- parameters

// A parameter whose normalised value is its plain value; text is the value with 4 decimals, or
// "On"/"Off" for two states.
class Parameter {
 public:
  Parameter();
  Parameter(const char8* title, ParamID id, const char8* units, ParamValue defaultNormalized,
            int32 stepCount, int32 flags, UnitID unitId);
  virtual ~Parameter() {}

  const ParameterInfo& getInfo() const { return mInfo; }
  ParameterInfo& getInfo() { return mInfo; }
  void setPrecision(int32 digits) { mPrecision = digits; }
  int32 getPrecision() const { return mPrecision; }
  ParamValue getNormalized() const { return mValue; }
  void setNormalized(ParamValue v);

  virtual void toString(ParamValue normalized, String128 text) const;
  virtual bool fromString(const TChar* text, ParamValue& normalized) const;
  virtual ParamValue toPlain(ParamValue normalized) const { return normalized; }
  virtual ParamValue toNormalized(ParamValue plain) const { return plain; }

 protected:
  ParameterInfo mInfo;
  ParamValue mValue = 0.0;
  int32 mPrecision = 4;
};

// A parameter with a plain range min..max (linear mapping, or stepped for step counts above 1).
class RangeParameter : public Parameter {
 public:
  RangeParameter(const char8* title, ParamID id, const char8* units, ParamValue minPlain,
                 ParamValue maxPlain, ParamValue defaultPlain, int32 stepCount, int32 flags,
                 UnitID unitId);

  void toString(ParamValue normalized, String128 text) const override;
  bool fromString(const TChar* text, ParamValue& normalized) const override;
  ParamValue toPlain(ParamValue normalized) const override;
  ParamValue toNormalized(ParamValue plain) const override;
  ParamValue getMin() const { return mMin; }
  ParamValue getMax() const { return mMax; }

 protected:
  ParamValue mMin;
  ParamValue mMax;
};

// A parameter that picks one of a list of texts.
class StringListParameter : public Parameter {
 public:
  StringListParameter(const char8* title, ParamID id, const char8* units, int32 flags,
                      UnitID unitId);
  ~StringListParameter() override;
  bool appendString(const char8* text);

  void toString(ParamValue normalized, String128 text) const override;
  bool fromString(const TChar* text, ParamValue& normalized) const override;
  ParamValue toPlain(ParamValue normalized) const override;
  ParamValue toNormalized(ParamValue plain) const override;

 private:
  TArray<char16*> mStrings;
};

// Owning list of parameters in insertion order, found by id.
class ParameterContainer {
 public:
  ParameterContainer() = default;
  ~ParameterContainer() { removeAll(); }
  ParameterContainer(const ParameterContainer&) = delete;
  ParameterContainer& operator=(const ParameterContainer&) = delete;

  // Takes ownership; null (the parameter deleted) when it cannot be kept.
  Parameter* addParameter(Parameter* p);
  int32 getParameterCount() const { return mParams.total(); }
  Parameter* getParameterByIndex(int32 i) const {
    return i >= 0 && i < getParameterCount() ? mParams.at(i) : nullptr;
  }
  Parameter* getParameter(ParamID id) const;
  void removeAll();

 private:
  TArray<Parameter*> mParams;
};

// ---------------------------------------------------------------- component and controller bases

class ComponentBase : public FObject, public IConnectionPoint {
 public:
  ComponentBase() = default;
  ~ComponentBase() override;

  virtual tresult PLUGIN_API initialize(FUnknown* context);
  virtual tresult PLUGIN_API terminate();

  tresult PLUGIN_API connect(IConnectionPoint* other) override;
  tresult PLUGIN_API disconnect(IConnectionPoint* other) override;
  tresult PLUGIN_API notify(IMessage* message) override;

  FClassID isA() const override { return "ComponentBase"; }
  bool isTypeOf(FClassID name, bool askBaseClass = true) const override;
  FUnknown* getHostContext() const { return hostContext; }
  // True from a successful initialize to the next terminate, whatever context initialize was given.
  bool isInitialized() const { return initialized; }

 protected:
  FUnknown* hostContext = nullptr;         // referenced
  IConnectionPoint* peerConnection = nullptr;  // referenced
  bool initialized = false;
};

class EditController : public ComponentBase, public IEditController, public IEditController2 {
 public:
  EditController() = default;
  ~EditController() override;

  tresult PLUGIN_API initialize(FUnknown* context) override;
  tresult PLUGIN_API terminate() override;
  tresult PLUGIN_API setComponentState(IBStream*) override { return kNotImplemented; }
  tresult PLUGIN_API setState(IBStream*) override { return kNotImplemented; }
  tresult PLUGIN_API getState(IBStream*) override { return kNotImplemented; }
  int32 PLUGIN_API getParameterCount() override { return parameters.getParameterCount(); }
  tresult PLUGIN_API getParameterInfo(int32 paramIndex, ParameterInfo& info) override;
  tresult PLUGIN_API getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                           String128 string) override;
  tresult PLUGIN_API getParamValueByString(ParamID id, TChar* string,
                                           ParamValue& valueNormalized) override;
  ParamValue PLUGIN_API normalizedParamToPlain(ParamID id, ParamValue valueNormalized) override;
  ParamValue PLUGIN_API plainParamToNormalized(ParamID id, ParamValue plainValue) override;
  ParamValue PLUGIN_API getParamNormalized(ParamID id) override;
  tresult PLUGIN_API setParamNormalized(ParamID id, ParamValue value) override;
  tresult PLUGIN_API setComponentHandler(IComponentHandler* handler) override;
  IPlugView* PLUGIN_API createView(FIDString) override { return nullptr; }

  tresult PLUGIN_API setKnobMode(KnobMode mode) override;
  tresult PLUGIN_API openHelp(TBool) override { return kResultFalse; }
  tresult PLUGIN_API openAboutBox(TBool) override { return kResultFalse; }

  // Forward an edit gesture to the component handler; kResultFalse without one.
  tresult beginEdit(ParamID id);
  tresult performEdit(ParamID id, ParamValue valueNormalized);
  tresult endEdit(ParamID id);

  IComponentHandler* getComponentHandler() const { return componentHandler; }
  static KnobMode getHostKnobMode() { return hostKnobMode; }
  FClassID isA() const override { return "EditController"; }
  bool isTypeOf(FClassID name, bool askBaseClass = true) const override;

 protected:
  ParameterContainer parameters;
  IComponentHandler* componentHandler = nullptr;    // referenced
  IComponentHandler2* componentHandler2 = nullptr;  // referenced
  static KnobMode hostKnobMode;
};

// One object that is both the audio processor and its edit controller.
class SingleComponentEffect : public EditController, public IComponent, public IAudioProcessor {
 public:
  SingleComponentEffect();
  ~SingleComponentEffect() override;

  // ---- FUnknown, shared by every interface of the object
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override;
  uint32 PLUGIN_API addRef() override { return FObject::addRef(); }
  uint32 PLUGIN_API release() override { return FObject::release(); }

  // ---- IPluginBase
  tresult PLUGIN_API initialize(FUnknown* context) override;
  tresult PLUGIN_API terminate() override;

  // ---- IComponent
  tresult PLUGIN_API getControllerClassId(TUID) override { return kNotImplemented; }
  tresult PLUGIN_API setIoMode(IoMode) override { return kNotImplemented; }
  int32 PLUGIN_API getBusCount(MediaType type, BusDirection dir) override;
  tresult PLUGIN_API getBusInfo(MediaType type, BusDirection dir, int32 index,
                                BusInfo& bus) override;
  tresult PLUGIN_API getRoutingInfo(RoutingInfo&, RoutingInfo&) override { return kNotImplemented; }
  tresult PLUGIN_API activateBus(MediaType type, BusDirection dir, int32 index,
                                 TBool state) override;
  tresult PLUGIN_API setActive(TBool) override { return kResultOk; }
  tresult PLUGIN_API setState(IBStream*) override { return kNotImplemented; }
  tresult PLUGIN_API getState(IBStream*) override { return kNotImplemented; }

  // ---- IAudioProcessor
  tresult PLUGIN_API setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                        SpeakerArrangement* outputs, int32 numOuts) override;
  tresult PLUGIN_API getBusArrangement(BusDirection dir, int32 index,
                                       SpeakerArrangement& arr) override;
  tresult PLUGIN_API canProcessSampleSize(int32 size) override;
  uint32 PLUGIN_API getLatencySamples() override { return 0; }
  tresult PLUGIN_API setupProcessing(ProcessSetup& setup) override;
  tresult PLUGIN_API setProcessing(TBool) override { return kResultOk; }
  tresult PLUGIN_API process(ProcessData&) override { return kNotImplemented; }
  uint32 PLUGIN_API getTailSamples() override { return kNoTail; }

  FClassID isA() const override { return "SingleComponentEffect"; }
  bool isTypeOf(FClassID name, bool askBaseClass = true) const override;

  // Bus helpers: each returns the new bus, or null when it could not be made.
  AudioBus* addAudioInput(const TChar* name, SpeakerArrangement arr, BusType type = kMain,
                          int32 flags = BusInfo::kDefaultActive);
  AudioBus* addAudioOutput(const TChar* name, SpeakerArrangement arr, BusType type = kMain,
                           int32 flags = BusInfo::kDefaultActive);
  EventBus* addEventInput(const TChar* name, int32 channels = 16, BusType type = kMain,
                          int32 flags = BusInfo::kDefaultActive);
  static AudioBus* makeAudioBus(const TChar* name, SpeakerArrangement arr, BusType type,
                                int32 flags);
  void removeAllBuses();
  BusList* getBusList(MediaType type, BusDirection dir);
  const ProcessSetup& getProcessSetup() const { return processSetup; }

 protected:
  BusList audioInputs{kAudio, kInput};
  BusList audioOutputs{kAudio, kOutput};
  BusList eventInputs{kEvent, kInput};
  BusList eventOutputs{kEvent, kOutput};
  ProcessSetup processSetup;
};

}  // namespace Vst

// ---------------------------------------------------------------- plug-in factory

typedef FUnknown* (*FactoryCreateFunction)(void* context);

class CPluginFactory : public FObject, public IPluginFactory3 {
 public:
  explicit CPluginFactory(const PFactoryInfo& info);
  ~CPluginFactory() override;

  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override;
  uint32 PLUGIN_API addRef() override { return FObject::addRef(); }
  uint32 PLUGIN_API release() override { return FObject::release(); }
  FClassID isA() const override { return "CPluginFactory"; }

  tresult PLUGIN_API getFactoryInfo(PFactoryInfo* info) override;
  int32 PLUGIN_API countClasses() override { return mClasses.total(); }
  tresult PLUGIN_API getClassInfo(int32 index, PClassInfo* info) override;
  tresult PLUGIN_API createInstance(FIDString cid, FIDString iid, void** obj) override;
  tresult PLUGIN_API getClassInfo2(int32 index, PClassInfo2* info) override;
  tresult PLUGIN_API getClassInfoUnicode(int32 index, PClassInfoW* info) override;
  tresult PLUGIN_API setHostContext(FUnknown*) override { return kNotImplemented; }

  bool registerClass(const PClassInfo2* info, FactoryCreateFunction create, void* context = nullptr);

 private:
  struct ClassEntry {
    PClassInfo2 info;
    FactoryCreateFunction create;
    void* context;
  };
  PFactoryInfo mFactoryInfo;
  TArray<ClassEntry*> mClasses;
};

// ---------------------------------------------------------------- plug-in view base

class CPluginView : public FObject, public IPlugView {
 public:
  explicit CPluginView(const ViewRect* rect = nullptr);
  ~CPluginView() override {}

  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override;
  uint32 PLUGIN_API addRef() override { return FObject::addRef(); }
  uint32 PLUGIN_API release() override { return FObject::release(); }

  tresult PLUGIN_API isPlatformTypeSupported(FIDString) override { return kNotImplemented; }
  tresult PLUGIN_API attached(void* parent, FIDString type) override;
  tresult PLUGIN_API removed() override;
  tresult PLUGIN_API onWheel(float) override { return kResultFalse; }
  tresult PLUGIN_API onKeyDown(char16, int16, int16) override { return kResultFalse; }
  tresult PLUGIN_API onKeyUp(char16, int16, int16) override { return kResultFalse; }
  tresult PLUGIN_API getSize(ViewRect* size) override;
  tresult PLUGIN_API onSize(ViewRect* newSize) override;
  tresult PLUGIN_API onFocus(TBool) override { return kResultFalse; }
  tresult PLUGIN_API setFrame(IPlugFrame* frame) override;
  tresult PLUGIN_API canResize() override { return kResultFalse; }
  tresult PLUGIN_API checkSizeConstraint(ViewRect*) override { return kResultFalse; }

  FClassID isA() const override { return "CPluginView"; }
  bool isTypeOf(FClassID name, bool askBaseClass = true) const override;
  void* getSystemWindow() const { return mSystemWindow; }
  const ViewRect& getRect() const { return mRect; }
  void setRect(const ViewRect& r) { mRect = r; }
  IPlugFrame* getFrame() const { return mFrame; }

 protected:
  ViewRect mRect;
  void* mSystemWindow = nullptr;
  IPlugFrame* mFrame = nullptr;  // not referenced
};

}  // namespace Steinberg
