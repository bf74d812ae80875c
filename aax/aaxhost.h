// The AAX host's interfaces as the support library sees them: result codes, 128-bit identifiers, the
// reference-counted unknown and every host interface with all of its slots, declared once for the
// library and its tests.
//
// Layout rules (x86-64; the hosts are built with Microsoft's compiler):
// - A host interface that starts with the unknown has no destructor: slots 0, 1 and 2 are the query,
//   add-reference and release operations, its own operations follow from slot 3 on. A second version
//   of an interface derives from the first, so it repeats the first one's slots and adds its own after
//   them. Slots that the library never calls are declared as placeholders named after their number
//   (HostOpN, N = the slot) so that every used slot lands on its number.
// - Interfaces whose slots are counted from 1 after a destructor (the text interface, the host
//   transport, the render context's MIDI and transport nodes, and the parameter interface in
//   aaxparameter.h) would get two destructor slots from this compiler but one from the host's. They
//   declare instead one explicit slot 0, Destroy(), which deletes the object; their destructors are
//   protected and not virtual, and the library deletes such objects only through Destroy() or through
//   their concrete (final) class.
//
// Signatures this header settles for operations whose further arguments the binding leaves open:
// - AddProcessProcedure(procedure, property map, instance-initialisation procedure, background
//   procedure): the two further procedures are plain function pointers, null when unused.
// - Property values (GetProperty / AddProperty) are signed 32-bit integers: every value the module
//   describes (stem formats, four-character ids, flags) fits in 32 bits.
// - SetViewSize takes the point by reference to a {float vertical; float horizontal} record.
// - EnrolParameter takes only the parameter's identifier text.
// - Placeholder operations take one 64-bit argument (an out pointer where the operation is known to
//   have an out argument; more arguments where a later one is known to be a property map) and answer
//   an AAX result; they exist only to be forwarded.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <type_traits>

typedef int32_t AAX_Result;
typedef int32_t ACFResult;

// Results of the unknown model.
enum : int32_t {
  kACFOk = 0,
  kACFNoInterface = static_cast<int32_t>(0x80000004),
  kACFNullPointer = static_cast<int32_t>(0x80000005),
  kACFUnexpected = static_cast<int32_t>(0x8000FFFF),
};

// Results of the AAX operations (0 is success, errors are negative).
enum : int32_t {
  kAAXOk = 0,
  kAAXNoSuchParameter = -20001,
  kAAXNullArgument = -20002,
  kAAXNoHostObject = -20004,
  kAAXBadChunkIndex = -20006,
  kAAXBadChunkId = -20007,
  kAAXChunkSize = -20008,
  kAAXNotImplemented = -20009,
  kAAXNoHostUnknown = -20011,
  kAAXNegativeSteps = -20033,
  kAAXChunkOverflow = -333,
};

// A 128-bit interface or class identifier: a 32-bit and two 16-bit fields (little-endian on the
// targets) and eight bytes in order, 16 bytes without padding.
struct AcfID {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];
};
static_assert(sizeof(AcfID) == 16, "an identifier is 16 bytes");

inline bool operator==(const AcfID& a, const AcfID& b) { return std::memcmp(&a, &b, sizeof(AcfID)) == 0; }
inline bool operator!=(const AcfID& a, const AcfID& b) { return !(a == b); }

// The identifier from its registry form {d1-d2-d3-hhll-hhllhhllhhll}: d4 are the last two groups
// read as eight bytes from left to right (passed as a 16-bit and a 48-bit number).
constexpr AcfID MakeAcfID(uint32_t d1, uint16_t d2, uint16_t d3, uint16_t g4, uint64_t g5) {
  return AcfID{d1, d2, d3,
               {static_cast<uint8_t>(g4 >> 8), static_cast<uint8_t>(g4), static_cast<uint8_t>(g5 >> 40),
                static_cast<uint8_t>(g5 >> 32), static_cast<uint8_t>(g5 >> 24), static_cast<uint8_t>(g5 >> 16),
                static_cast<uint8_t>(g5 >> 8), static_cast<uint8_t>(g5)}};
}

// Identifiers of the host's interfaces and classes, and of the library's own host-facing interfaces.
namespace AcfIds {
constexpr AcfID kUnknown = MakeAcfID(0x00000000, 0x0000, 0x0000, 0xC000, 0x000000000046);
constexpr AcfID kComponentFactory = MakeAcfID(0x382B6A96, 0x7FD0, 0x11D6, 0xBCFE, 0x00306542A024);
constexpr AcfID kPluginDefinition = MakeAcfID(0x00EEF015, 0x7FD0, 0x11D6, 0x8485, 0x00306542A024);
constexpr AcfID kCollectionClass = MakeAcfID(0x89882C2D, 0x77BC, 0x42EF, 0x707B, 0x7981B7BD0CCA);
constexpr AcfID kCollection = MakeAcfID(0x96D42C2D, 0xEBBC, 0x41DF, 0xB1AB, 0x9991A2EE0CCA);
constexpr AcfID kEffectDescriptorClass = MakeAcfID(0x89872C2D, 0x75BC, 0x423F, 0x401B, 0xF9A1BAAD0CCA);
constexpr AcfID kEffectDescriptor = MakeAcfID(0x96D42C2D, 0xEBBC, 0x41EF, 0xD1CB, 0x499442E40FDA);
constexpr AcfID kEffectDescriptorV2 = MakeAcfID(0x41ECCC52, 0x416B, 0x4072, 0x84BD, 0x40B05210A74C);
constexpr AcfID kComponentDescriptorClass = MakeAcfID(0x94872C3D, 0x95BC, 0x413D, 0xD0DB, 0xD9B12AAD0CCA);
constexpr AcfID kComponentDescriptor = MakeAcfID(0x96E42C2D, 0xE2BC, 0x51EF, 0x61C7, 0x48994AEB0CDA);
constexpr AcfID kComponentDescriptorV2 = MakeAcfID(0x1895259E, 0xAAA9, 0x4F0F, 0xA985, 0x149837B76F89);
constexpr AcfID kPropertyMapClass = MakeAcfID(0xA587AD3D, 0xD53C, 0x4ADC, 0xD0DD, 0xD9D12DDDDCDA);
constexpr AcfID kPropertyMap = MakeAcfID(0x96EE2C2D, 0xEECC, 0x5EFF, 0xE2D7, 0xE849E3E2EEEE);
constexpr AcfID kPropertyMapV2 = MakeAcfID(0x7177DF80, 0x7C9C, 0x11E2, 0xB92A, 0x0800200C9A66);
constexpr AcfID kHostServicesClass = MakeAcfID(0x88882C2D, 0xEBBC, 0x42EF, 0xC0AB, 0x8981B0BD0CCA);
constexpr AcfID kHostServices = MakeAcfID(0x96D42C2D, 0xEBBC, 0x41EF, 0xB0AB, 0x9991A0ED0CCA);
constexpr AcfID kController = MakeAcfID(0x9D5E3E3D, 0x52DC, 0x5EFB, 0x2018, 0xDE1DE2E63F4E);
constexpr AcfID kControllerV2 = MakeAcfID(0x4C59AA0E, 0xD7C0, 0x4205, 0x8B6C, 0x32468D42D202);
constexpr AcfID kTransport = MakeAcfID(0x5CEE4EF4, 0x6337, 0x4359, 0xB63B, 0xFE58DC36543A);
constexpr AcfID kTransportV2 = MakeAcfID(0x203CBD9F, 0x982C, 0x4FE6, 0xA827, 0x07480257AEC3);
constexpr AcfID kAutomationDelegate = MakeAcfID(0x9D5E3D3D, 0x42DC, 0x5EFA, 0x2217, 0xEEE2E8E53E2E);
constexpr AcfID kViewContainer = MakeAcfID(0x22DA0BBC, 0xD550, 0x4D5E, 0x8CC6, 0x734483B8837F);
// The library's objects, as the host queries them.
constexpr AcfID kEffectParameters = MakeAcfID(0x964E333D, 0x334C, 0x533F, 0xC2C7, 0x3834C3C23E3E);
constexpr AcfID kEffectParametersV2 = MakeAcfID(0xF1F47D06, 0x308F, 0x4CC5, 0x9C7C, 0x50A83F8AB813);
constexpr AcfID kEffectGUI = MakeAcfID(0x964E323D, 0x424C, 0x5E1A, 0x2227, 0x282423222E1E);
}  // namespace AcfIds

// Raised where construction cannot complete (a host factory that answers success with no object);
// the module's entry points catch it and answer a failure.
class ACFException : public std::runtime_error {
public:
  ACFException(ACFResult code, const char* what) : std::runtime_error(what), mCode(code) {}
  ACFResult Code() const { return mCode; }

private:
  ACFResult mCode;
};

// Runs the work of an operation the host calls: whatever the work throws (a failed allocation above
// all) is answered `failure` instead of leaving the module, as the module's entry points answer
// kACFUnexpected.
template <typename Work>
std::invoke_result_t<Work&> AnswerHostCall(std::invoke_result_t<Work&> failure, Work&& work) noexcept {
  try {
    return work();
  } catch (...) {
    return failure;
  }
}

// The reference-counted unknown that every host interface starts with.
struct IACFUnknown {
  virtual ACFResult QueryInterface(const AcfID& iid, void** out) = 0;
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

protected:
  ~IACFUnknown() = default;
};

// ---------------------------------------------------------------------------------------------
// Shared value types.

typedef int32_t AAX_FieldIndex;     // index of a field of the render context record
typedef int32_t AAX_PropertyId;
typedef int32_t AAX_PropertyValue;  // see the header comment
typedef uint32_t AAX_StemFormat;    // high 16 bits layout code, low 16 bits channel count

struct AAX_Point {
  float vertical;
  float horizontal;
};

// Create procedure of an effect's parameters or GUI object: the new object's host interface.
typedef IACFUnknown* (*AAX_CreateProcedure)();
// Native process procedure: a batch of render context record pointers, [first, last).
typedef void (*AAX_ProcessProcedure)(void* const* first, void* const* last);
// Optional procedures of a process procedure; the module registers neither.
typedef int32_t (*AAX_InstanceInitProcedure)(const void* instance, const void* context, int32_t action);
typedef int32_t (*AAX_BackgroundProcedure)();

// ---------------------------------------------------------------------------------------------
// Host interfaces (slot numbers in the comments).

// Component factory, queried on a host unknown: creates host objects.
struct AAX_HostComponentFactory : IACFUnknown {
  virtual ACFResult CreateInstance(const AcfID& classId, IACFUnknown* outer, const AcfID& iid,
                                   void** out) = 0;  // 3

protected:
  ~AAX_HostComponentFactory() = default;
};

struct AAX_HostEffectDescriptor;
struct AAX_HostComponentDescriptor;
struct AAX_HostPropertyMap;

struct AAX_HostCollection : IACFUnknown {
  virtual AAX_Result HostOp3(int64_t arg) = 0;                                              // 3
  virtual AAX_Result HostOp4(int64_t arg) = 0;                                              // 4
  virtual AAX_Result HostOp5(int64_t arg) = 0;                                              // 5
  virtual AAX_Result HostOp6(int64_t arg) = 0;                                              // 6
  virtual AAX_Result RegisterEffect(const char* effectId, AAX_HostEffectDescriptor* d) = 0;  // 7
  virtual AAX_Result AddMakerName(const char* name) = 0;                                    // 8
  virtual AAX_Result AddProductName(const char* name) = 0;                                  // 9
  virtual AAX_Result SetPackageVersionNumber(uint32_t version) = 0;                         // 10
  virtual AAX_Result AttachProperties(AAX_HostPropertyMap* map) = 0;                        // 11

protected:
  ~AAX_HostCollection() = default;
};

struct AAX_HostEffectDescriptor : IACFUnknown {
  virtual AAX_Result AddComponentDescriptor(AAX_HostComponentDescriptor* c) = 0;             // 3
  virtual AAX_Result AddEffectName(const char* name) = 0;                                   // 4
  virtual AAX_Result SetEffectCategory(uint32_t category) = 0;                              // 5
  virtual AAX_Result HostOp6(int64_t arg) = 0;                                              // 6
  virtual AAX_Result AddCreateProcedure(AAX_CreateProcedure proc, uint32_t procId) = 0;     // 7
  virtual AAX_Result AttachProperties(AAX_HostPropertyMap* map) = 0;                        // 8
  virtual AAX_Result HostOp9(int64_t arg) = 0;                                              // 9
  virtual AAX_Result HostOp10(int64_t a, int64_t b, int64_t c, AAX_HostPropertyMap* map) = 0;  // 10

protected:
  ~AAX_HostEffectDescriptor() = default;
};

struct AAX_HostEffectDescriptorV2 : AAX_HostEffectDescriptor {
  virtual AAX_Result HostOp11(int64_t arg) = 0;  // 11

protected:
  ~AAX_HostEffectDescriptorV2() = default;
};

struct AAX_HostComponentDescriptor : IACFUnknown {
  virtual AAX_Result HostOp3(int64_t arg) = 0;                                              // 3
  virtual AAX_Result HostOp4(int64_t arg) = 0;                                              // 4
  virtual AAX_Result AddAudioInput(AAX_FieldIndex field) = 0;                               // 5
  virtual AAX_Result AddAudioOutput(AAX_FieldIndex field) = 0;                              // 6
  virtual AAX_Result AddBufferLengthField(AAX_FieldIndex field) = 0;                        // 7
  virtual AAX_Result HostOp8(int64_t arg) = 0;                                              // 8
  virtual AAX_Result HostOp9(int64_t arg) = 0;                                              // 9
  virtual AAX_Result HostOp10(int64_t arg) = 0;                                             // 10
  virtual AAX_Result HostOp11(int64_t arg) = 0;                                             // 11
  virtual AAX_Result HostOp12(int64_t arg) = 0;                                             // 12
  virtual AAX_Result AddPrivateDataField(AAX_FieldIndex field, uint32_t size, uint32_t options) = 0;  // 13
  virtual AAX_Result HostOp14(int64_t arg) = 0;                                             // 14
  virtual AAX_Result AddMidiNodeField(AAX_FieldIndex field, uint32_t nodeType, const char* name,
                                      uint32_t channelMask) = 0;                            // 15
  virtual AAX_Result AddProcessProcedure(AAX_ProcessProcedure proc, AAX_HostPropertyMap* map,
                                         AAX_InstanceInitProcedure initProc,
                                         AAX_BackgroundProcedure backgroundProc) = 0;       // 16
  virtual AAX_Result HostOp17(int64_t a, int64_t b, int64_t c, AAX_HostPropertyMap* map) = 0;  // 17
  virtual AAX_Result AddMeterField(AAX_FieldIndex field, const uint32_t* meterIds, uint32_t count) = 0;  // 18

protected:
  ~AAX_HostComponentDescriptor() = default;
};

struct AAX_HostComponentDescriptorV2 : AAX_HostComponentDescriptor {
  virtual AAX_Result HostOp19(int64_t arg) = 0;  // 19

protected:
  ~AAX_HostComponentDescriptorV2() = default;
};

struct AAX_HostPropertyMap : IACFUnknown {
  virtual bool GetProperty(AAX_PropertyId id, AAX_PropertyValue* out) = 0;  // 3
  virtual AAX_Result AddProperty(AAX_PropertyId id, AAX_PropertyValue value) = 0;  // 4
  virtual AAX_Result HostOp5(int64_t arg) = 0;  // 5

protected:
  ~AAX_HostPropertyMap() = default;
};

struct AAX_HostPropertyMapV2 : AAX_HostPropertyMap {
  virtual AAX_Result HostOp6(int64_t arg) = 0;  // 6
  virtual bool HostOp7(int64_t arg) = 0;        // 7

protected:
  ~AAX_HostPropertyMapV2() = default;
};

struct AAX_HostServices : IACFUnknown {
  virtual AAX_Result HostOp3(int64_t arg) = 0;                          // 3
  virtual AAX_Result Trace(uint32_t priority, const char* text) = 0;    // 4

protected:
  ~AAX_HostServices() = default;
};

struct AAX_HostController : IACFUnknown {
  virtual AAX_Result HostOp3(int64_t arg) = 0;                          // 3
  virtual AAX_Result GetSampleRate(float* out) = 0;                     // 4
  virtual AAX_Result GetInputStemFormat(AAX_StemFormat* out) = 0;       // 5
  virtual AAX_Result GetOutputStemFormat(AAX_StemFormat* out) = 0;      // 6
  virtual AAX_Result HostOp7(int64_t arg) = 0;                          // 7
  virtual AAX_Result HostOp8(int64_t arg) = 0;                          // 8
  virtual AAX_Result HostOp9(int64_t arg) = 0;                          // 9
  virtual AAX_Result SetSignalLatency(int32_t samples) = 0;             // 10
  virtual AAX_Result HostOp11(int64_t arg) = 0;                         // 11
  virtual AAX_Result PostPacket(AAX_FieldIndex field, const void* data, uint32_t size) = 0;  // 12
  virtual AAX_Result HostOp13(int64_t arg) = 0;                         // 13
  virtual AAX_Result HostOp14(int64_t arg) = 0;                         // 14
  virtual AAX_Result HostOp15(int64_t arg) = 0;                         // 15
  virtual AAX_Result HostOp16(int64_t arg) = 0;                         // 16
  virtual AAX_Result HostOp17(int64_t arg) = 0;                         // 17
  virtual AAX_Result HostOp18(int64_t arg) = 0;                         // 18
  virtual AAX_Result HostOp19(int64_t arg) = 0;                         // 19

protected:
  ~AAX_HostController() = default;
};

struct AAX_HostControllerV2 : AAX_HostController {
  virtual AAX_Result HostOp20(int64_t arg) = 0;   // 20
  virtual AAX_Result HostOp21(int64_t arg) = 0;   // 21
  virtual AAX_Result HostOp22(int64_t* out) = 0;  // 22 (first argument is an out value)
  virtual AAX_Result HostOp23(int64_t arg) = 0;   // 23

protected:
  ~AAX_HostControllerV2() = default;
};

// Host transport as queried on the host unknown (slots 3 to 8 are the operations of AAX_ITransport's
// slots 1 to 6).
struct AAX_HostTransport : IACFUnknown {
  virtual AAX_Result GetCurrentTempo(double* bpm) = 0;                                   // 3
  virtual AAX_Result GetCurrentMeter(int32_t* numerator, int32_t* denominator) = 0;      // 4
  virtual AAX_Result IsTransportPlaying(bool* playing) = 0;                              // 5
  virtual AAX_Result GetCurrentTickPosition(int64_t* ticks) = 0;                         // 6
  virtual AAX_Result GetCurrentLoopPosition(bool* looping, int64_t* start, int64_t* end) = 0;  // 7
  virtual AAX_Result GetCurrentNativeSampleLocation(int64_t* samples) = 0;               // 8
  virtual AAX_Result HostOp9(int64_t* out) = 0;                                          // 9
  virtual AAX_Result HostOp10(int64_t* out) = 0;                                         // 10
  virtual AAX_Result HostOp11(int64_t* out) = 0;                                         // 11
  virtual AAX_Result HostOp12(int64_t* out) = 0;                                         // 12

protected:
  ~AAX_HostTransport() = default;
};

struct AAX_HostTransportV2 : AAX_HostTransport {
  virtual AAX_Result HostOp13(int64_t* out) = 0;  // 13
  virtual AAX_Result HostOp14(int64_t* out) = 0;  // 14
  virtual AAX_Result HostOp15(int64_t* out) = 0;  // 15
  virtual AAX_Result HostOp16(int64_t* out) = 0;  // 16

protected:
  ~AAX_HostTransportV2() = default;
};

struct AAX_HostAutomation : IACFUnknown {
  virtual AAX_Result EnrolParameter(const char* id) = 0;                     // 3
  virtual AAX_Result WithdrawParameter(const char* id) = 0;                  // 4
  virtual AAX_Result RequestSetValue(const char* id, double normalized) = 0;  // 5
  virtual AAX_Result ReportValue(const char* id, double normalized) = 0;     // 6
  virtual AAX_Result RequestTouch(const char* id) = 0;                       // 7
  virtual AAX_Result RequestRelease(const char* id) = 0;                     // 8
  virtual AAX_Result HostOp9(const char* id, int64_t arg) = 0;               // 9

protected:
  ~AAX_HostAutomation() = default;
};

struct AAX_HostViewContainer : IACFUnknown {
  virtual int32_t HostOp3() = 0;                                  // 3
  virtual void* GetNativeView() = 0;                              // 4 (the native parent window)
  virtual AAX_Result HostOp5(int64_t arg) = 0;                    // 5
  virtual AAX_Result SetViewSize(const AAX_Point& size) = 0;      // 6
  virtual AAX_Result HostOp7(int64_t arg) = 0;                    // 7
  virtual AAX_Result HostOp8(int64_t arg) = 0;                    // 8
  virtual AAX_Result HostOp9(int64_t arg) = 0;                    // 9

protected:
  ~AAX_HostViewContainer() = default;
};

// ---------------------------------------------------------------------------------------------
// Interfaces counted from 1 after an explicit slot 0 (see the header comment).

// Text crossing between host and library.
struct AAX_IString {
  virtual void Destroy() = 0;                                     // 0
  virtual uint32_t TextLength() const = 0;                        // 1
  virtual uint32_t MaxTextLength() const = 0;                     // 2
  virtual const char* Text() const = 0;                           // 3
  virtual void SetText(const char* text) = 0;                     // 4
  virtual AAX_IString& AssignText(const char* text) = 0;          // 5
  virtual AAX_IString& AssignString(const AAX_IString& other) = 0;  // 6

protected:
  ~AAX_IString() = default;
};

// Transport: the host's object handed with each render call, and the library's transport proxy.
struct AAX_ITransport {
  virtual void Destroy() = 0;                                                            // 0
  virtual AAX_Result GetCurrentTempo(double* bpm) = 0;                                   // 1
  virtual AAX_Result GetCurrentMeter(int32_t* numerator, int32_t* denominator) = 0;      // 2
  virtual AAX_Result IsTransportPlaying(bool* playing) = 0;                              // 3
  virtual AAX_Result GetCurrentTickPosition(int64_t* ticks) = 0;                         // 4
  virtual AAX_Result GetCurrentLoopPosition(bool* looping, int64_t* start, int64_t* end) = 0;  // 5
  virtual AAX_Result GetCurrentNativeSampleLocation(int64_t* samples) = 0;               // 6
  virtual AAX_Result HostOp9(int64_t* out) = 0;                                          // 7
  virtual AAX_Result HostOp10(int64_t* out) = 0;                                         // 8
  virtual AAX_Result HostOp11(int64_t* out) = 0;                                         // 9
  virtual AAX_Result HostOp12(int64_t* out) = 0;                                         // 10
  virtual AAX_Result HostOp13(int64_t* out) = 0;                                         // 11
  virtual AAX_Result HostOp14(int64_t* out) = 0;                                         // 12
  virtual AAX_Result HostOp15(int64_t* out) = 0;                                         // 13
  virtual AAX_Result HostOp16(int64_t* out) = 0;                                         // 14

protected:
  ~AAX_ITransport() = default;
};

// MIDI stream of a render context MIDI node: packet count and the first of the 16-byte packets.
struct AAX_MidiStream {
  uint32_t packetCount;
  const uint8_t* packets;
};

// The render context's MIDI node (field 5).
struct AAX_HostMidiNode {
  virtual void Destroy() = 0;                        // 0
  virtual AAX_MidiStream* GetNodeBuffer() = 0;       // 1
  virtual AAX_Result HostOp2(int64_t arg) = 0;       // 2
  virtual AAX_Result HostOp3(int64_t arg) = 0;       // 3

protected:
  ~AAX_HostMidiNode() = default;
};

// The render context's transport node (field 7).
struct AAX_HostTransportNode {
  virtual void Destroy() = 0;                        // 0
  virtual AAX_Result HostOp1(int64_t arg) = 0;       // 1
  virtual AAX_Result HostOp2(int64_t arg) = 0;       // 2
  virtual AAX_ITransport* GetTransport() = 0;        // 3

protected:
  ~AAX_HostTransportNode() = default;
};

// ---------------------------------------------------------------------------------------------
// The library's own host-facing interfaces: what the host calls on an effect's parameters object
// and on its GUI object. They start with the unknown (slots 0 to 2) like the host's interfaces.
//
// Signatures this header settles where the binding leaves them open:
// - Parameter identifiers are zero-terminated texts (const char*); a null identifier finds nothing.
// - Texts going out are written through an AAX_IString* (null answers -20002); texts coming in are
//   const AAX_IString&.
// - Booleans crossing the interface are one byte (AAX_CBoolean): the automatable flag and the
//   chunk comparison's isEqual.
// - A host chunk record is passed by pointer (AAX_ChunkRecord below); chunk sizes are uint32.
// - NotificationReceived (type, data pointer, size in bytes).
// - UpdateParameterNormalizedValue (identifier, value, source) with a 32-bit source code;
//   UpdateParameterTouch (identifier, touched as a byte).
// - The effect-parameters interface's eight further operations (slots 40 to 47) are placeholders of
//   one 64-bit argument; the third of them (slot 42) takes a second, out argument (int32_t*) to which
//   it writes 0. The GUI's optional operations (slots 8, 9, 11, 12) are placeholders of one 64-bit
//   argument.

typedef uint8_t AAX_CBoolean;

class AAX_IParameter;

// The host's chunk record: a 56-byte header and the data right after it. The host allocates the
// record with room for the data size it was told (GetChunkSize) or that it states in `size`.
struct AAX_ChunkRecord {
  int32_t size;          // 0: data size in bytes
  int32_t version;       // 4
  uint8_t hostBytes[12];  // 8: the host's own fields
  uint32_t chunkId;      // 20
  char name[32];         // 24: zero-padded
  // 56: the data bytes

  uint8_t* Data() { return reinterpret_cast<uint8_t*>(this) + kHeaderSize; }
  const uint8_t* Data() const { return reinterpret_cast<const uint8_t*>(this) + kHeaderSize; }
  static constexpr size_t kHeaderSize = 56;
};
static_assert(sizeof(AAX_ChunkRecord) == 56, "the chunk record header is 56 bytes");

struct AAX_IACFEffectParameters : IACFUnknown {
  virtual AAX_Result Initialize(IACFUnknown* controller) = 0;                                   // 3
  virtual AAX_Result Uninitialize() = 0;                                                        // 4
  virtual AAX_Result NotificationReceived(uint32_t type, const void* data, uint32_t size) = 0;  // 5
  virtual AAX_Result GetNumberOfParameters(int32_t* out) = 0;                                   // 6
  virtual AAX_Result GetMasterBypassParameter(AAX_IString* out) = 0;                            // 7
  virtual AAX_Result GetParameterIsAutomatable(const char* id, AAX_CBoolean* out) = 0;          // 8
  virtual AAX_Result GetParameterNumberofSteps(const char* id, int32_t* out) = 0;               // 9
  virtual AAX_Result GetParameterName(const char* id, AAX_IString* out) = 0;                    // 10
  virtual AAX_Result GetParameterNameOfLength(const char* id, AAX_IString* out, int32_t length) = 0;  // 11
  virtual AAX_Result GetParameterDefaultNormalizedValue(const char* id, double* out) = 0;       // 12
  virtual AAX_Result SetParameterDefaultNormalizedValue(const char* id, double value) = 0;      // 13
  virtual AAX_Result GetParameterType(const char* id, int32_t* out) = 0;                        // 14
  virtual AAX_Result GetParameterOrientation(const char* id, int32_t* out) = 0;                 // 15
  virtual AAX_Result GetParameter(const char* id, AAX_IParameter** out) = 0;                    // 16
  virtual AAX_Result GetParameterIndex(const char* id, int32_t* out) = 0;                       // 17
  virtual AAX_Result GetParameterIDFromIndex(int32_t index, AAX_IString* out) = 0;              // 18
  virtual AAX_Result GetParameterValueInfo(const char* id, int32_t selector, int32_t* out) = 0;  // 19
  virtual AAX_Result GetParameterValueFromString(const char* id, double* out, const AAX_IString& text) = 0;  // 20
  virtual AAX_Result GetParameterStringFromValue(const char* id, double value, AAX_IString* out,
                                                 int32_t maxLength) = 0;                         // 21
  virtual AAX_Result GetParameterValueString(const char* id, AAX_IString* out, int32_t maxLength) = 0;  // 22
  virtual AAX_Result GetParameterNormalizedValue(const char* id, double* out) = 0;              // 23
  virtual AAX_Result SetParameterNormalizedValue(const char* id, double value) = 0;             // 24
  virtual AAX_Result SetParameterNormalizedRelative(const char* id, double delta) = 0;          // 25
  virtual AAX_Result TouchParameter(const char* id) = 0;                                        // 26
  virtual AAX_Result ReleaseParameter(const char* id) = 0;                                      // 27
  virtual AAX_Result UpdateParameterTouch(const char* id, AAX_CBoolean touched) = 0;            // 28
  virtual AAX_Result UpdateParameterNormalizedValue(const char* id, double value, int32_t source) = 0;  // 29
  virtual AAX_Result UpdateParameterNormalizedRelative(const char* id, double delta) = 0;       // 30
  virtual AAX_Result GenerateCoefficients() = 0;                                                // 31
  virtual AAX_Result ResetFieldData(AAX_FieldIndex field, void* block, uint32_t size) = 0;      // 32
  virtual AAX_Result GetNumberOfChunks(int32_t* out) = 0;                                       // 33
  virtual AAX_Result GetChunkIDFromIndex(int32_t index, uint32_t* out) = 0;                     // 34
  virtual AAX_Result GetChunkSize(uint32_t chunkId, uint32_t* out) = 0;                         // 35
  virtual AAX_Result GetChunk(uint32_t chunkId, AAX_ChunkRecord* record) = 0;                   // 36
  virtual AAX_Result SetChunk(uint32_t chunkId, const AAX_ChunkRecord* record) = 0;             // 37
  virtual AAX_Result CompareActiveChunk(const AAX_ChunkRecord* record, AAX_CBoolean* isEqual) = 0;  // 38
  virtual AAX_Result GetNumberOfChanges(int32_t* out) = 0;                                      // 39

protected:
  ~AAX_IACFEffectParameters() = default;
};

struct AAX_IACFEffectParameters_V2 : AAX_IACFEffectParameters {
  virtual AAX_Result HostOp40(int64_t arg) = 0;                // 40: 0
  virtual AAX_Result HostOp41(int64_t arg) = 0;                // 41: -20009
  virtual AAX_Result HostOp42(int64_t arg, int32_t* out) = 0;  // 42: out := 0, 0
  virtual AAX_Result HostOp43(int64_t arg) = 0;                // 43: 0
  virtual AAX_Result HostOp44(int64_t arg) = 0;                // 44: 0
  virtual AAX_Result HostOp45(int64_t arg) = 0;                // 45: -20009
  virtual AAX_Result HostOp46(int64_t arg) = 0;                // 46: 0
  virtual AAX_Result HostOp47(int64_t arg) = 0;                // 47: 0

protected:
  ~AAX_IACFEffectParameters_V2() = default;
};

struct AAX_IACFEffectGUI : IACFUnknown {
  virtual AAX_Result Initialize(IACFUnknown* hostUnknown) = 0;                                  // 3
  virtual AAX_Result Uninitialize() = 0;                                                        // 4
  virtual AAX_Result NotificationReceived(uint32_t type, const void* data, uint32_t size) = 0;  // 5
  virtual AAX_Result SetViewContainer(IACFUnknown* viewContainer) = 0;                          // 6
  virtual AAX_Result GetViewSize(AAX_Point* out) = 0;                                           // 7
  virtual AAX_Result HostOp8(int64_t arg) = 0;                                                  // 8: 0
  virtual AAX_Result HostOp9(int64_t arg) = 0;                                                  // 9: 0
  virtual AAX_Result OnParameterUpdate(const char* id) = 0;                                     // 10
  virtual AAX_Result HostOp11(int64_t arg) = 0;                                                 // 11: -20004
  virtual AAX_Result HostOp12(int64_t arg) = 0;                                                 // 12: 0

protected:
  ~AAX_IACFEffectGUI() = default;
};
