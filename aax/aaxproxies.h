// Proxies of the host's services. The rest of the AAX binding talks to the host only through these:
// each proxy obtains and holds the host interfaces it wraps, forwards every operation with its
// arguments unchanged, and answers a fixed result without calling the host when the host did not
// provide the interface (-20004 for a primary interface, -20009 for a secondary one, unless noted).
// Where an argument is itself a proxy, the host receives that proxy's primary host interface.
#pragma once

#include <cstdint>
#include <vector>

#include "aax/aaxhost.h"

// A counted reference to a host interface, released once when reset or destroyed.
template <typename T>
class HostRef {
public:
  HostRef() = default;
  HostRef(const HostRef&) = delete;
  HostRef& operator=(const HostRef&) = delete;
  ~HostRef() { Reset(); }

  T* Get() const { return mPtr; }
  explicit operator bool() const { return mPtr != nullptr; }
  T* operator->() const { return mPtr; }
  // Takes over a reference that the host already counted (from a query or a create call), after
  // releasing the one held.
  void Adopt(void* p) {
    Reset();
    mPtr = static_cast<T*>(p);
  }
  void Reset() {
    if (mPtr) {
      T* p = mPtr;
      mPtr = nullptr;
      p->Release();
    }
  }

private:
  T* mPtr = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Proxy interfaces (slot order after the destructor as numbered).

class AAX_IEffectDescriptor;
class AAX_IComponentDescriptor;
class AAX_IPropertyMap;

class AAX_ICollection {
public:
  virtual ~AAX_ICollection() = default;
  virtual AAX_IEffectDescriptor* CreateEffectDescriptor() = 0;                                  // 1
  virtual AAX_Result RegisterEffect(const char* effectId, AAX_IEffectDescriptor* descriptor) = 0;  // 2
  virtual AAX_Result AddMakerName(const char* name) = 0;                                       // 3
  virtual AAX_Result AddProductName(const char* name) = 0;                                     // 4
  virtual AAX_Result SetPackageVersionNumber(uint32_t version) = 0;                            // 5
  virtual AAX_IPropertyMap* CreatePropertyMap() = 0;                                           // 6
  virtual AAX_Result AttachProperties(AAX_IPropertyMap* map) = 0;                              // 7
};

class AAX_IEffectDescriptor {
public:
  virtual ~AAX_IEffectDescriptor() = default;
  virtual AAX_IComponentDescriptor* CreateComponentDescriptor() = 0;                  // 1
  virtual AAX_Result AddComponentDescriptor(AAX_IComponentDescriptor* component) = 0;  // 2
  virtual AAX_Result AddEffectName(const char* name) = 0;                             // 3
  virtual AAX_Result SetEffectCategory(uint32_t category) = 0;                        // 4
  virtual AAX_Result HostOp6(int64_t arg) = 0;                                        // 5
  virtual AAX_Result AddCreateProcedure(AAX_CreateProcedure proc, uint32_t procId) = 0;  // 6
  virtual AAX_IPropertyMap* CreatePropertyMap() = 0;                                  // 7
  virtual AAX_Result AttachProperties(AAX_IPropertyMap* map) = 0;                     // 8
  virtual AAX_Result HostOp9(int64_t arg) = 0;                                        // 9
  virtual AAX_Result HostOp10(int64_t a, int64_t b, int64_t c, AAX_IPropertyMap* map) = 0;  // 10
  virtual AAX_Result HostOp11(int64_t arg) = 0;                                       // 11
};

class AAX_IComponentDescriptor {
public:
  virtual ~AAX_IComponentDescriptor() = default;
  virtual AAX_Result HostOp3(int64_t arg) = 0;                                         // 1
  virtual AAX_Result AddAudioInput(AAX_FieldIndex field) = 0;                          // 2
  virtual AAX_Result AddAudioOutput(AAX_FieldIndex field) = 0;                         // 3
  virtual AAX_Result AddBufferLengthField(AAX_FieldIndex field) = 0;                   // 4
  virtual AAX_Result HostOp8(int64_t arg) = 0;                                         // 5
  virtual AAX_Result HostOp9(int64_t arg) = 0;                                         // 6
  virtual AAX_Result HostOp10(int64_t arg) = 0;                                        // 7
  virtual AAX_Result HostOp11(int64_t arg) = 0;                                        // 8
  virtual AAX_Result HostOp12(int64_t arg) = 0;                                        // 9
  virtual AAX_Result AddPrivateDataField(AAX_FieldIndex field, uint32_t size, uint32_t options) = 0;  // 10
  virtual AAX_Result HostOp19(int64_t arg) = 0;                                        // 11
  virtual AAX_Result HostOp14(int64_t arg) = 0;                                        // 12
  virtual AAX_Result AddMeterField(AAX_FieldIndex field, const uint32_t* meterIds, uint32_t count) = 0;  // 13
  virtual AAX_Result AddMidiNodeField(AAX_FieldIndex field, uint32_t nodeType, const char* name,
                                      uint32_t channelMask) = 0;                       // 14
  virtual AAX_Result HostOp4(int64_t arg) = 0;                                         // 15
  virtual AAX_IPropertyMap* CreatePropertyMap() = 0;                                   // 16
  virtual AAX_IPropertyMap* DuplicatePropertyMap(AAX_IPropertyMap* source) = 0;        // 17
  virtual AAX_Result AddProcessProcedure(AAX_ProcessProcedure proc, AAX_IPropertyMap* map,
                                         AAX_InstanceInitProcedure initProc,
                                         AAX_BackgroundProcedure backgroundProc) = 0;  // 18
  virtual AAX_Result HostOp17(int64_t a, int64_t b, int64_t c, AAX_IPropertyMap* map) = 0;  // 19
};

class AAX_IPropertyMap {
public:
  virtual ~AAX_IPropertyMap() = default;
  virtual bool GetProperty(AAX_PropertyId id, AAX_PropertyValue* out) const = 0;  // 1
  virtual AAX_Result AddProperty(AAX_PropertyId id, AAX_PropertyValue value) = 0;  // 2
  virtual AAX_Result HostOp5(int64_t arg) = 0;                                    // 3
  virtual AAX_Result HostOp6(int64_t arg) = 0;                                    // 4
  virtual bool HostOp7(int64_t arg) = 0;                                          // 5
};

class AAX_IHostServices {
public:
  virtual ~AAX_IHostServices() = default;
  virtual AAX_Result HostOp3(int64_t arg) = 0;                        // 1
  virtual AAX_Result Trace(uint32_t priority, const char* text) = 0;  // 2
};

class AAX_IController {
public:
  virtual ~AAX_IController() = default;
  virtual AAX_Result HostOp3(int64_t arg) = 0;                        // 1
  virtual AAX_Result GetSampleRate(float* out) = 0;                   // 2
  virtual AAX_Result GetInputStemFormat(AAX_StemFormat* out) = 0;     // 3
  virtual AAX_Result GetOutputStemFormat(AAX_StemFormat* out) = 0;    // 4
  virtual AAX_Result HostOp7(int64_t arg) = 0;                        // 5
  virtual AAX_Result HostOp8(int64_t arg) = 0;                        // 6
  virtual AAX_Result HostOp9(int64_t arg) = 0;                        // 7
  virtual AAX_Result SetSignalLatency(int32_t samples) = 0;           // 8
  virtual AAX_Result HostOp11(int64_t arg) = 0;                       // 9
  virtual AAX_Result PostPacket(AAX_FieldIndex field, const void* data, uint32_t size) = 0;  // 10
  virtual AAX_Result HostOp20(int64_t arg) = 0;                       // 11
  virtual AAX_Result HostOp13(int64_t arg) = 0;                       // 12
  virtual AAX_Result HostOp14(int64_t arg) = 0;                       // 13
  virtual AAX_Result HostOp15(int64_t arg) = 0;                       // 14
  virtual AAX_Result HostOp18(int64_t arg) = 0;                       // 15
  virtual AAX_Result HostOp16(int64_t arg) = 0;                       // 16
  virtual AAX_Result HostOp17(int64_t arg) = 0;                       // 17
  virtual AAX_Result HostOp19(int64_t arg) = 0;                       // 18
  virtual AAX_Result HostOp21(int64_t arg) = 0;                       // 19
  virtual AAX_Result HostOp22(int64_t* out) = 0;                      // 20
  virtual AAX_Result HostOp23(int64_t arg) = 0;                       // 21
};

class AAX_IAutomationDelegate {
public:
  virtual ~AAX_IAutomationDelegate() = default;
  virtual AAX_Result EnrolParameter(const char* id) = 0;                      // 1
  virtual AAX_Result WithdrawParameter(const char* id) = 0;                   // 2
  virtual AAX_Result RequestSetValue(const char* id, double normalized) = 0;  // 3
  virtual AAX_Result ReportValue(const char* id, double normalized) = 0;      // 4
  virtual AAX_Result RequestTouch(const char* id) = 0;                        // 5
  virtual AAX_Result RequestRelease(const char* id) = 0;                      // 6
  virtual AAX_Result HostOp9(const char* id, int64_t arg) = 0;                // 7
};

class AAX_IViewContainer {
public:
  virtual ~AAX_IViewContainer() = default;
  virtual int32_t HostOp3() = 0;                              // 1
  virtual void* GetNativeView() = 0;                          // 2
  virtual AAX_Result HostOp5(int64_t arg) = 0;                // 3
  virtual AAX_Result SetViewSize(const AAX_Point& size) = 0;  // 4
  virtual AAX_Result HostOp7(int64_t arg) = 0;                // 5
  virtual AAX_Result HostOp8(int64_t arg) = 0;                // 6
  virtual AAX_Result HostOp9(int64_t arg) = 0;                // 7
};

// ---------------------------------------------------------------------------------------------
// Created proxies: the host creates the wrapped object through its component factory. A factory
// query that succeeds with no factory throws ACFException (0x80000005); what the proxy held is
// released.

class AAX_VPropertyMap final : public AAX_IPropertyMap {
public:
  explicit AAX_VPropertyMap(IACFUnknown* hostUnknown);
  ~AAX_VPropertyMap() override;

  bool GetProperty(AAX_PropertyId id, AAX_PropertyValue* out) const override;  // false when missing
  AAX_Result AddProperty(AAX_PropertyId id, AAX_PropertyValue value) override;
  AAX_Result HostOp5(int64_t arg) override;
  AAX_Result HostOp6(int64_t arg) override;
  bool HostOp7(int64_t arg) override;  // false when missing

  AAX_HostPropertyMap* Primary() const { return mPrimary.Get(); }
  AAX_HostPropertyMapV2* Secondary() const { return mSecondary.Get(); }

private:
  HostRef<AAX_HostPropertyMap> mPrimary;
  HostRef<AAX_HostPropertyMapV2> mSecondary;
};

class AAX_VComponentDescriptor final : public AAX_IComponentDescriptor {
public:
  explicit AAX_VComponentDescriptor(IACFUnknown* hostUnknown);
  ~AAX_VComponentDescriptor() override;

  AAX_Result HostOp3(int64_t arg) override;
  AAX_Result AddAudioInput(AAX_FieldIndex field) override;
  AAX_Result AddAudioOutput(AAX_FieldIndex field) override;
  AAX_Result AddBufferLengthField(AAX_FieldIndex field) override;
  AAX_Result HostOp8(int64_t arg) override;
  AAX_Result HostOp9(int64_t arg) override;
  AAX_Result HostOp10(int64_t arg) override;
  AAX_Result HostOp11(int64_t arg) override;
  AAX_Result HostOp12(int64_t arg) override;
  AAX_Result AddPrivateDataField(AAX_FieldIndex field, uint32_t size, uint32_t options) override;
  AAX_Result HostOp19(int64_t arg) override;
  AAX_Result HostOp14(int64_t arg) override;
  AAX_Result AddMeterField(AAX_FieldIndex field, const uint32_t* meterIds, uint32_t count) override;
  AAX_Result AddMidiNodeField(AAX_FieldIndex field, uint32_t nodeType, const char* name,
                              uint32_t channelMask) override;
  AAX_Result HostOp4(int64_t arg) override;
  AAX_IPropertyMap* CreatePropertyMap() override;
  // A new map of this descriptor holding every property 10 to 351 that the source has; null for a
  // null source.
  AAX_IPropertyMap* DuplicatePropertyMap(AAX_IPropertyMap* source) override;
  AAX_Result AddProcessProcedure(AAX_ProcessProcedure proc, AAX_IPropertyMap* map,
                                 AAX_InstanceInitProcedure initProc,
                                 AAX_BackgroundProcedure backgroundProc) override;
  AAX_Result HostOp17(int64_t a, int64_t b, int64_t c, AAX_IPropertyMap* map) override;

  AAX_HostComponentDescriptor* Primary() const { return mPrimary.Get(); }

private:
  HostRef<IACFUnknown> mHostUnknown;
  HostRef<AAX_HostComponentDescriptor> mPrimary;
  HostRef<AAX_HostComponentDescriptorV2> mSecondary;
  std::vector<AAX_VPropertyMap*> mPropertyMaps;  // owned
};

class AAX_VEffectDescriptor final : public AAX_IEffectDescriptor {
public:
  explicit AAX_VEffectDescriptor(IACFUnknown* hostUnknown);
  ~AAX_VEffectDescriptor() override;

  AAX_IComponentDescriptor* CreateComponentDescriptor() override;
  AAX_Result AddComponentDescriptor(AAX_IComponentDescriptor* component) override;
  AAX_Result AddEffectName(const char* name) override;
  AAX_Result SetEffectCategory(uint32_t category) override;
  AAX_Result HostOp6(int64_t arg) override;
  AAX_Result AddCreateProcedure(AAX_CreateProcedure proc, uint32_t procId) override;
  AAX_IPropertyMap* CreatePropertyMap() override;
  AAX_Result AttachProperties(AAX_IPropertyMap* map) override;
  AAX_Result HostOp9(int64_t arg) override;
  AAX_Result HostOp10(int64_t a, int64_t b, int64_t c, AAX_IPropertyMap* map) override;
  AAX_Result HostOp11(int64_t arg) override;

  AAX_HostEffectDescriptor* Primary() const { return mPrimary.Get(); }

private:
  HostRef<IACFUnknown> mHostUnknown;
  HostRef<AAX_HostEffectDescriptor> mPrimary;
  HostRef<AAX_HostEffectDescriptorV2> mSecondary;
  std::vector<AAX_VComponentDescriptor*> mComponents;  // owned
  std::vector<AAX_VPropertyMap*> mPropertyMaps;        // owned
};

class AAX_VCollection final : public AAX_ICollection {
public:
  explicit AAX_VCollection(IACFUnknown* hostUnknown);
  ~AAX_VCollection() override;

  AAX_IEffectDescriptor* CreateEffectDescriptor() override;
  AAX_Result RegisterEffect(const char* effectId, AAX_IEffectDescriptor* descriptor) override;
  AAX_Result AddMakerName(const char* name) override;
  AAX_Result AddProductName(const char* name) override;
  AAX_Result SetPackageVersionNumber(uint32_t version) override;
  AAX_IPropertyMap* CreatePropertyMap() override;
  AAX_Result AttachProperties(AAX_IPropertyMap* map) override;

  AAX_HostCollection* Primary() const { return mPrimary.Get(); }

private:
  HostRef<IACFUnknown> mHostUnknown;
  HostRef<AAX_HostCollection> mPrimary;
  std::vector<AAX_VEffectDescriptor*> mEffects;  // owned
  std::vector<AAX_VPropertyMap*> mPropertyMaps;  // owned
};

class AAX_VHostServices final : public AAX_IHostServices {
public:
  explicit AAX_VHostServices(IACFUnknown* hostUnknown);
  ~AAX_VHostServices() override = default;

  AAX_Result HostOp3(int64_t arg) override;
  AAX_Result Trace(uint32_t priority, const char* text) override;

  AAX_HostServices* Primary() const { return mPrimary.Get(); }

private:
  HostRef<AAX_HostServices> mPrimary;
};

// ---------------------------------------------------------------------------------------------
// Queried proxies: the interfaces are queried on the given host unknown (none for a null unknown).

class AAX_VController final : public AAX_IController {
public:
  explicit AAX_VController(IACFUnknown* hostUnknown);
  ~AAX_VController() override = default;

  AAX_Result HostOp3(int64_t arg) override;
  AAX_Result GetSampleRate(float* out) override;
  AAX_Result GetInputStemFormat(AAX_StemFormat* out) override;
  AAX_Result GetOutputStemFormat(AAX_StemFormat* out) override;
  AAX_Result HostOp7(int64_t arg) override;
  AAX_Result HostOp8(int64_t arg) override;
  AAX_Result HostOp9(int64_t arg) override;
  AAX_Result SetSignalLatency(int32_t samples) override;
  AAX_Result HostOp11(int64_t arg) override;
  AAX_Result PostPacket(AAX_FieldIndex field, const void* data, uint32_t size) override;
  AAX_Result HostOp20(int64_t arg) override;
  AAX_Result HostOp13(int64_t arg) override;
  AAX_Result HostOp14(int64_t arg) override;
  AAX_Result HostOp15(int64_t arg) override;
  AAX_Result HostOp18(int64_t arg) override;
  AAX_Result HostOp16(int64_t arg) override;
  AAX_Result HostOp17(int64_t arg) override;
  AAX_Result HostOp19(int64_t arg) override;
  AAX_Result HostOp21(int64_t arg) override;
  AAX_Result HostOp22(int64_t* out) override;  // writes 0 to out when the secondary is missing
  AAX_Result HostOp23(int64_t arg) override;

  AAX_HostController* Primary() const { return mPrimary.Get(); }

private:
  HostRef<AAX_HostController> mPrimary;
  HostRef<AAX_HostControllerV2> mSecondary;
};

class AAX_VTransport final : public AAX_ITransport {
public:
  explicit AAX_VTransport(IACFUnknown* hostUnknown);
  ~AAX_VTransport() = default;

  void Destroy() override;
  AAX_Result GetCurrentTempo(double* bpm) override;
  AAX_Result GetCurrentMeter(int32_t* numerator, int32_t* denominator) override;
  AAX_Result IsTransportPlaying(bool* playing) override;
  AAX_Result GetCurrentTickPosition(int64_t* ticks) override;
  AAX_Result GetCurrentLoopPosition(bool* looping, int64_t* start, int64_t* end) override;
  AAX_Result GetCurrentNativeSampleLocation(int64_t* samples) override;
  AAX_Result HostOp9(int64_t* out) override;
  AAX_Result HostOp10(int64_t* out) override;
  AAX_Result HostOp11(int64_t* out) override;
  AAX_Result HostOp12(int64_t* out) override;
  AAX_Result HostOp13(int64_t* out) override;
  AAX_Result HostOp14(int64_t* out) override;
  AAX_Result HostOp15(int64_t* out) override;
  AAX_Result HostOp16(int64_t* out) override;

  AAX_HostTransport* Primary() const { return mPrimary.Get(); }

private:
  HostRef<AAX_HostTransport> mPrimary;
  HostRef<AAX_HostTransportV2> mSecondary;
};

class AAX_VAutomationDelegate final : public AAX_IAutomationDelegate {
public:
  explicit AAX_VAutomationDelegate(IACFUnknown* hostUnknown);
  ~AAX_VAutomationDelegate() override = default;

  AAX_Result EnrolParameter(const char* id) override;
  AAX_Result WithdrawParameter(const char* id) override;
  AAX_Result RequestSetValue(const char* id, double normalized) override;
  AAX_Result ReportValue(const char* id, double normalized) override;
  AAX_Result RequestTouch(const char* id) override;
  AAX_Result RequestRelease(const char* id) override;
  AAX_Result HostOp9(const char* id, int64_t arg) override;

  AAX_HostAutomation* Primary() const { return mPrimary.Get(); }

private:
  HostRef<AAX_HostAutomation> mPrimary;
};

// Whether a delegate reaches host automation: the library's own proxy counts only when it holds
// the host interface; any other delegate counts.
bool AutomationDelegateConnected(AAX_IAutomationDelegate* delegate);

class AAX_VViewContainer final : public AAX_IViewContainer {
public:
  explicit AAX_VViewContainer(IACFUnknown* hostUnknown);
  // Releases nothing: the host's view container may be gone when the proxy is deleted.
  ~AAX_VViewContainer() override = default;

  int32_t HostOp3() override;          // 0 when missing
  void* GetNativeView() override;      // null when missing
  AAX_Result HostOp5(int64_t arg) override;
  AAX_Result SetViewSize(const AAX_Point& size) override;  // 0 when missing
  AAX_Result HostOp7(int64_t arg) override;
  AAX_Result HostOp8(int64_t arg) override;
  AAX_Result HostOp9(int64_t arg) override;

  AAX_HostViewContainer* Primary() const { return mPrimary; }

private:
  AAX_HostViewContainer* mPrimary = nullptr;  // a host reference this proxy does not release
};

// ---------------------------------------------------------------------------------------------
// The module's host services (created and deleted by the module's start-up and shut-down) and its
// trace routine: formats by printf rules into at most 511 characters and hands the text to the host
// services; 0 without host services, -20004 when they hold no host interface.
extern AAX_VHostServices* gHostServices;
AAX_Result HostTrace(uint32_t priority, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
