// The AAX binding of the plug-in base: one object that is the plug-in (IFxBase) and the effect's AAX
// parameters object (AAX_CIFxParameters on the support library's AAX_CEffectParameters). It exports
// every parameter record as an AAX parameter "1", "2", ... next to the host's master bypass (""),
// keeps both sides in step, exposes the saved state as the effect's one chunk ('OmLx') and renders
// the host's blocks through the pins (RenderBlock, reached from RenderInstances).
#pragma once

#include <cstdint>

#include "aax/aaxeffectparameters.h"
#include "fx/ifxbase.h"

template <typename T>
class AAX_CParameter;

// Field indexes of the render context record (8 bytes per field) as the effect description
// declares them.
enum AAX_IFxField : int32_t {
  kFieldAudioIn = 0,       // float* per host input channel
  kFieldAudioOut = 1,      // float* per host output channel
  kFieldBufferLength = 3,  // int32_t* frame count of the block
  kFieldLocalMidi = 5,     // local MIDI input node
  kFieldGlobalMidi = 6,    // global MIDI node
  kFieldTransport = 7,     // transport node
  kFieldPrivate = 8,       // 8-byte private block: the instance's AAX_CIFxParameters address
  kFieldMeters = 9,
  kRenderFieldCount = 10,
};

// The host's render context record: one 8-byte field per field index.
struct AAX_IFxRenderContext {
  void* fields[kRenderFieldCount];
};

class AAX_CIFxParameters : public AAX_CEffectParameters {
 public:
  // Field 8 receives this object's address in its first 8 bytes (a null block or one of fewer than
  // 8 bytes answers -20002 and nothing is written); other fields are zero-filled by the base.
  AAX_Result ResetFieldData(AAX_FieldIndex field, void* block, uint32_t size) override;
  // One block of audio of this instance; audio thread.
  virtual void RenderBlock(const AAX_IFxRenderContext* context);
};

// The native process procedure of every component: renders each instance of the batch
// [first, last) whose private block holds an instance.
void RenderInstances(void* const* first, void* const* last);

class IFxAAX : public IFxBase, public AAX_CIFxParameters {
 public:
  IFxAAX(const IFxCreateArgs& args, int paramCount, const char* channelIOText, int presetCount,
         const char* effectName, const char* productName, const char* makerName, int vendorVersion,
         int uniqueId, int makerId, int latency, bool takesMidi, bool hasStateChunks, bool isSynth);
  ~IFxAAX() override;

  // Whether face is the effect-parameters interface of a live IFxAAX object of this module; that
  // object or null.
  static IFxAAX* FromParametersInterface(const AAX_IACFEffectParameters* face);

  // ---- IFxBase hooks for this format
  void BeginInformHostOfParamChange(int paramIdx) override;
  void InformHostOfParamChange(int paramIdx, double normalized) override;
  void EndInformHostOfParamChange(int paramIdx) override;
  void NotifyHostPresetChanged() override {}
  int HostSamplePosition() override;
  double HostTempo() override;
  void HostTimeSignature(int* numerator, int* denominator) override;
  void FillHostTimeInfo(ITransportInfo* info) override;
  void ResizeEditor(int width, int height) override;
  void ChangeLatency(int samples) override;
  bool SendMidiToHost(const IMidiEvent*) override { return false; }
  void MarkCompareStateChanged() override { CountChange(); }

  // ---- AAX operations (host thread)
  // The whole (re-)initialisation runs under mLock: no block renders while the old parameters and
  // proxies go or the new ones are made.
  AAX_Result Initialize(IACFUnknown* controller) override;
  AAX_Result Uninitialize() override;
  AAX_Result UpdateParameterNormalizedValue(const char* id, double value, int32_t source) override;
  AAX_Result GetChunkIDFromIndex(int32_t index, uint32_t* out) override;
  AAX_Result GetChunkSize(uint32_t chunkId, uint32_t* out) override;
  AAX_Result GetChunk(uint32_t chunkId, AAX_ChunkRecord* record) override;
  AAX_Result SetChunk(uint32_t chunkId, const AAX_ChunkRecord* record) override;
  AAX_Result CompareActiveChunk(const AAX_ChunkRecord* record, AAX_CBoolean* isEqual) override;
  AAX_Result PrepareEffect() override;
  void RenderBlock(const AAX_IFxRenderContext* context) override;

  // The identifier text of parameter paramIdx ("" for an index without one).
  const char* ParamIdentifier(int paramIdx) const;
  AAX_CParameter<bool>* MasterBypass() const { return mMasterBypass; }

 private:
  // The parameter index an identifier names (its decimal number - 1), or -1 when it names none.
  int IndexOfIdentifier(const char* id) const;
  // Registers a parameter made by PrepareEffect; deleted here when the registry refuses it.
  void Register(AAX_IParameter* parameter);
  void ClearParamIDs();
  // The chunk's byte count: one double per parameter.
  int32_t ChunkBytes() const { return 8 * ParamCount(); }

  AAX_CParameter<bool>* mMasterBypass = nullptr;  // owned by the parameter registry
  AAX_ITransport* mTransport = nullptr;           // the host's, of the last render call
  ItemList mParamIDs;                             // owned HeapStrings
};
