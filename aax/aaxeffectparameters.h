// The base of an effect's parameters object: the object the host creates through the parameters
// create procedure and talks to through the effect-parameters interface. It owns the parameter
// registry, the packet relay and the chunk parser, answers every parameter query by identifier text,
// keeps the change counter and serialises the parameters into its default chunk ('elck'). Derived
// classes add their parameters in PrepareEffect, which runs when the host initialises the object.
//
// At the host boundary: an out pointer that is null answers -20002 and nothing is written; a
// normalised value or delta that is NaN or infinite answers -20002 and changes nothing; a finite
// normalised value is limited to 0..1 before it reaches a parameter; an operation whose work throws
// (an allocation that fails) answers 0x8000FFFF instead of letting the exception out.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "aax/aaxchunkparser.h"
#include "aax/aaxhost.h"
#include "aax/aaxpacket.h"
#include "aax/aaxproxies.h"
#include "aax/aaxregistry.h"
#include "aax/acfunknown.h"

class AAX_CEffectParameters : public AAX_IACFEffectParameters_V2, public CACFUnknown {
public:
  static constexpr uint32_t kDefaultChunkId = 'elck';
  static constexpr uint32_t kPreviewNotification = 'ASPv';

  AAX_CEffectParameters();
  // Does what Uninitialize does: the parameters go first (each withdraws itself through the
  // automation proxy), then the proxies.
  ~AAX_CEffectParameters() override;

  ACFResult QueryInterface(const AcfID& iid, void** out) override { return OuterQueryInterface(iid, out); }
  uint32_t AddRef() override { return OuterAddRef(); }
  uint32_t Release() override { return OuterRelease(); }
  // Also answers the effect-parameters identifiers (both versions) with the main interface.
  ACFResult QueryOwnInterface(const AcfID& iid, void** out) override;

  // Host thread. Makes the controller, automation and transport proxies on the host's interface,
  // runs PrepareEffect and filters the master bypass out of the default chunk. A second call first
  // calls Uninitialize.
  AAX_Result Initialize(IACFUnknown* controller) override;
  // Deletes the parameters, then the proxies.
  AAX_Result Uninitialize() override;
  // The preview state ('ASPv', a 32-bit flag) goes to a parameter "PreviewID" when there is one.
  AAX_Result NotificationReceived(uint32_t type, const void* data, uint32_t size) override;

  AAX_Result GetNumberOfParameters(int32_t* out) override;
  AAX_Result GetMasterBypassParameter(AAX_IString* out) override;
  AAX_Result GetParameterIsAutomatable(const char* id, AAX_CBoolean* out) override;
  AAX_Result GetParameterNumberofSteps(const char* id, int32_t* out) override;
  // Missing parameters give the empty text and 0.
  AAX_Result GetParameterName(const char* id, AAX_IString* out) override;
  // The longest non-empty line of the parameter's (shortened) name that fits in length characters,
  // else the name's first length characters.
  AAX_Result GetParameterNameOfLength(const char* id, AAX_IString* out, int32_t length) override;
  AAX_Result GetParameterDefaultNormalizedValue(const char* id, double* out) override;
  AAX_Result SetParameterDefaultNormalizedValue(const char* id, double value) override;
  AAX_Result GetParameterType(const char* id, int32_t* out) override;
  AAX_Result GetParameterOrientation(const char* id, int32_t* out) override;
  AAX_Result GetParameter(const char* id, AAX_IParameter** out) override;
  AAX_Result GetParameterIndex(const char* id, int32_t* out) override;
  AAX_Result GetParameterIDFromIndex(int32_t index, AAX_IString* out) override;
  AAX_Result GetParameterValueInfo(const char* id, int32_t selector, int32_t* out) override;
  // Text -> normalised value; -20002 (nothing written) when the text reads no value in range.
  AAX_Result GetParameterValueFromString(const char* id, double* out, const AAX_IString& text) override;
  // Normalised value -> text of at most maxLength characters; -20002 when it has none.
  AAX_Result GetParameterStringFromValue(const char* id, double value, AAX_IString* out, int32_t maxLength) override;
  AAX_Result GetParameterValueString(const char* id, AAX_IString* out, int32_t maxLength) override;
  AAX_Result GetParameterNormalizedValue(const char* id, double* out) override;
  // Asks the parameter for the value: through the host's automation when bound (the stored value
  // changes when the host answers through UpdateParameterNormalizedValue).
  AAX_Result SetParameterNormalizedValue(const char* id, double value) override;
  AAX_Result SetParameterNormalizedRelative(const char* id, double delta) override;
  AAX_Result TouchParameter(const char* id) override;
  AAX_Result ReleaseParameter(const char* id) override;
  AAX_Result UpdateParameterTouch(const char* id, AAX_CBoolean touched) override;
  // The host's answer: the parameter stores the value, its packets are marked, one change counted.
  AAX_Result UpdateParameterNormalizedValue(const char* id, double value, int32_t source) override;
  AAX_Result UpdateParameterNormalizedRelative(const char* id, double delta) override;
  AAX_Result GenerateCoefficients() override;
  AAX_Result ResetFieldData(AAX_FieldIndex field, void* block, uint32_t size) override;

  AAX_Result GetNumberOfChunks(int32_t* out) override;
  AAX_Result GetChunkIDFromIndex(int32_t index, uint32_t* out) override;
  // Builds the default chunk and keeps its size for GetChunk.
  AAX_Result GetChunkSize(uint32_t chunkId, uint32_t* out) override;
  // Fills a record of the size GetChunkSize gave; -20008 when the chunk's size changed since.
  AAX_Result GetChunk(uint32_t chunkId, AAX_ChunkRecord* record) override;
  // Restores every value the chunk holds; a malformed chunk answers -20008 and changes nothing.
  AAX_Result SetChunk(uint32_t chunkId, const AAX_ChunkRecord* record) override;
  // Whether every parameter has the chunk's value (a chunk of another id counts as equal, a
  // malformed one as not equal).
  AAX_Result CompareActiveChunk(const AAX_ChunkRecord* record, AAX_CBoolean* isEqual) override;
  AAX_Result GetNumberOfChanges(int32_t* out) override;

  AAX_Result HostOp40(int64_t arg) override;
  AAX_Result HostOp41(int64_t arg) override;
  AAX_Result HostOp42(int64_t arg, int32_t* out) override;
  AAX_Result HostOp43(int64_t arg) override;
  AAX_Result HostOp44(int64_t arg) override;
  AAX_Result HostOp45(int64_t arg) override;
  AAX_Result HostOp46(int64_t arg) override;
  AAX_Result HostOp47(int64_t arg) override;

  // The derived class's initialisation (adds its parameters); a non-zero result ends Initialize.
  virtual AAX_Result PrepareEffect();

  AAX_CParameterRegistry& ParameterRegistry() { return mParameterManager; }
  AAX_CPacketRelay& PacketRelay() { return mPacketRelay; }
  AAX_CChunkDataParser& ChunkParser() { return mChunkParser; }
  AAX_VController* Controller() const { return mController; }
  AAX_VTransport* Transport() const { return mTransport; }
  AAX_VAutomationDelegate* AutomationDelegate() const { return mAutomationDelegate; }
  const std::set<std::string>& FilteredIdentifiers() const { return mFilteredParameterIDs; }
  // One more change for the host's compare state.
  void CountChange();

private:
  void ReleaseHost();
  // Fills the parser with the values of every parameter that is not filtered.
  void BuildDefaultChunk();

  int32_t mNumChanges = 0;
  int32_t mChunkSize = 0;
  AAX_CChunkDataParser mChunkParser;
  AAX_CPacketRelay mPacketRelay;
  AAX_CParameterRegistry mParameterManager;
  std::set<std::string> mFilteredParameterIDs;
  AAX_VController* mController = nullptr;                  // owned
  AAX_VTransport* mTransport = nullptr;                    // owned
  AAX_VAutomationDelegate* mAutomationDelegate = nullptr;  // owned
};
