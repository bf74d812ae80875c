// The project's own declarations of the VST 2.4 plug-in interface: the effect record, the function
// types of its entries and of the host callback, the dispatcher and host opcodes, flags, and the
// records passed through pointers (pins, speakers, editor rectangle, events, time information).
// Every record keeps the binary layout hosts expect on x86 and x86-64; the checks at the end hold
// the offsets to those layouts at compile time.
#pragma once

#include <cstddef>
#include <cstdint>

typedef int32_t VstInt32;
typedef int16_t VstInt16;
typedef intptr_t VstIntPtr;

// All interface functions use the C calling convention (caller pops); on x86-64 it is ignored.
#if defined(_WIN32) && !defined(_WIN64)
#define VSTCALLBACK __cdecl
#else
#define VSTCALLBACK
#endif

struct AEffect;

typedef VstIntPtr(VSTCALLBACK* audioMasterCallback)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                    VstIntPtr value, void* ptr, float opt);
typedef VstIntPtr(VSTCALLBACK* AEffectDispatcherProc)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                      VstIntPtr value, void* ptr, float opt);
typedef void(VSTCALLBACK* AEffectProcessProc)(AEffect* effect, float** inputs, float** outputs,
                                              VstInt32 sampleFrames);
typedef void(VSTCALLBACK* AEffectProcessDoubleProc)(AEffect* effect, double** inputs,
                                                    double** outputs, VstInt32 sampleFrames);
typedef void(VSTCALLBACK* AEffectSetParameterProc)(AEffect* effect, VstInt32 index, float parameter);
typedef float(VSTCALLBACK* AEffectGetParameterProc)(AEffect* effect, VstInt32 index);

// 'VstP', the value of AEffect::magic.
constexpr VstInt32 kEffectMagic = 0x56737450;
constexpr VstInt32 kVstVersion = 2400;

struct AEffect {
  VstInt32 magic;
  AEffectDispatcherProc dispatcher;
  AEffectProcessProc process;  // accumulating (adds into the outputs)
  AEffectSetParameterProc setParameter;
  AEffectGetParameterProc getParameter;
  VstInt32 numPrograms;
  VstInt32 numParams;
  VstInt32 numInputs;
  VstInt32 numOutputs;
  VstInt32 flags;
  VstIntPtr resvd1;
  VstIntPtr resvd2;
  VstInt32 initialDelay;
  VstInt32 realQualities;
  VstInt32 offQualities;
  float ioRatio;
  void* object;
  void* user;
  VstInt32 uniqueID;
  VstInt32 version;
  AEffectProcessProc processReplacing;
  AEffectProcessDoubleProc processDoubleReplacing;
  char future[56];
};

// AEffect::flags
enum : VstInt32 {
  effFlagsHasEditor = 1 << 0,
  effFlagsCanMono = 1 << 3,
  effFlagsCanReplacing = 1 << 4,
  effFlagsProgramChunks = 1 << 5,
  effFlagsIsSynth = 1 << 8,
  effFlagsNoSoundInStop = 1 << 9,
  effFlagsCanDoubleReplacing = 1 << 12,
};

// Dispatcher opcodes (host -> plug-in).
enum : VstInt32 {
  effOpen = 0,
  effClose = 1,
  effSetProgram = 2,
  effGetProgram = 3,
  effSetProgramName = 4,
  effGetProgramName = 5,
  effGetParamLabel = 6,
  effGetParamDisplay = 7,
  effGetParamName = 8,
  effGetVu = 9,
  effSetSampleRate = 10,
  effSetBlockSize = 11,
  effMainsChanged = 12,
  effEditGetRect = 13,
  effEditOpen = 14,
  effEditClose = 15,
  effEditDraw = 16,
  effEditMouse = 17,
  effEditKey = 18,
  effEditIdle = 19,
  effEditTop = 20,
  effEditSleep = 21,
  effIdentify = 22,
  effGetChunk = 23,
  effSetChunk = 24,
  effProcessEvents = 25,
  effCanBeAutomated = 26,
  effString2Parameter = 27,
  effGetNumProgramCategories = 28,
  effGetProgramNameIndexed = 29,
  effCopyProgram = 30,
  effConnectInput = 31,
  effConnectOutput = 32,
  effGetInputProperties = 33,
  effGetOutputProperties = 34,
  effGetPlugCategory = 35,
  effGetCurrentPosition = 36,
  effGetDestinationBuffer = 37,
  effOfflineNotify = 38,
  effOfflinePrepare = 39,
  effOfflineRun = 40,
  effProcessVarIo = 41,
  effSetSpeakerArrangement = 42,
  effSetBlockSizeAndSampleRate = 43,
  effSetBypass = 44,
  effGetEffectName = 45,
  effGetErrorText = 46,
  effGetVendorString = 47,
  effGetProductString = 48,
  effGetVendorVersion = 49,
  effVendorSpecific = 50,
  effCanDo = 51,
  effGetTailSize = 52,
  effIdle = 53,
  effGetIcon = 54,
  effSetViewPosition = 55,
  effGetParameterProperties = 56,
  effKeysRequired = 57,
  effGetVstVersion = 58,
  effEditKeyDown = 59,
  effEditKeyUp = 60,
  effSetEditKnobMode = 61,
  effGetMidiProgramName = 62,
  effGetCurrentMidiProgram = 63,
  effGetMidiProgramCategory = 64,
  effHasMidiProgramsChanged = 65,
  effGetMidiKeyName = 66,
  effBeginSetProgram = 67,
  effEndSetProgram = 68,
  effGetSpeakerArrangement = 69,
  effShellGetNextPlugin = 70,
  effStartProcess = 71,
  effStopProcess = 72,
  effSetTotalSampleToProcess = 73,
  effSetPanLaw = 74,
  effBeginLoadBank = 75,
  effBeginLoadProgram = 76,
  effSetProcessPrecision = 77,
  effGetNumMidiInputChannels = 78,
  effGetNumMidiOutputChannels = 79,
};

// Host callback opcodes (plug-in -> host).
enum : VstInt32 {
  audioMasterAutomate = 0,
  audioMasterVersion = 1,
  audioMasterWantMidi = 6,
  audioMasterGetTime = 7,
  audioMasterProcessEvents = 8,
  audioMasterIOChanged = 13,
  audioMasterSizeWindow = 15,
  audioMasterGetSampleRate = 16,
  audioMasterGetBlockSize = 17,
  audioMasterGetCurrentProcessLevel = 23,
  audioMasterGetVendorString = 32,
  audioMasterGetProductString = 33,
  audioMasterGetVendorVersion = 34,
  audioMasterCanDo = 37,
  audioMasterUpdateDisplay = 42,
  audioMasterBeginEdit = 43,
  audioMasterEndEdit = 44,
};

// audioMasterGetCurrentProcessLevel answers.
enum : VstInt32 {
  kVstProcessLevelUnknown = 0,
  kVstProcessLevelUser = 1,
  kVstProcessLevelRealtime = 2,
  kVstProcessLevelPrefetch = 3,
  kVstProcessLevelOffline = 4,
};

// String limits (characters, not counting the terminator).
enum : VstInt32 {
  kVstMaxProgNameLen = 24,
  kVstMaxParamStrLen = 8,
  kVstMaxVendorStrLen = 64,
  kVstMaxProductStrLen = 64,
  kVstMaxEffectNameLen = 32,
  kVstMaxNameLen = 64,
  kVstMaxLabelLen = 64,
  kVstMaxShortLabelLen = 8,
};

// effGetPlugCategory answers.
enum : VstInt32 {
  kPlugCategUnknown = 0,
  kPlugCategEffect = 1,
  kPlugCategSynth = 2,
};

struct ERect {
  VstInt16 top;
  VstInt16 left;
  VstInt16 bottom;
  VstInt16 right;
};

struct VstPinProperties {
  char label[kVstMaxLabelLen];
  VstInt32 flags;
  VstInt32 arrangementType;
  char shortLabel[kVstMaxShortLabelLen];
  char future[48];
};

enum : VstInt32 {
  kVstPinIsActive = 1 << 0,
  kVstPinIsStereo = 1 << 1,
  kVstPinUseSpeaker = 1 << 2,
};

struct VstSpeakerProperties {
  float azimuth;
  float elevation;
  float radius;
  float reserved;
  char name[kVstMaxNameLen];
  VstInt32 type;
  char future[28];
};

struct VstSpeakerArrangement {
  VstInt32 type;
  VstInt32 numChannels;
  VstSpeakerProperties speakers[8];
};

enum : VstInt32 {
  kSpeakerArrUserDefined = -2,
  kSpeakerArrEmpty = -1,
  kSpeakerArrMono = 0,
  kSpeakerArrStereo = 1,
};

struct VstEvent {
  VstInt32 type;
  VstInt32 byteSize;
  VstInt32 deltaFrames;
  VstInt32 flags;
  char data[16];
};

enum : VstInt32 {
  kVstMidiType = 1,
  kVstSysExType = 6,
};

struct VstEvents {
  VstInt32 numEvents;
  VstIntPtr reserved;
  VstEvent* events[2];  // really numEvents entries
};

struct VstMidiEvent {
  VstInt32 type;
  VstInt32 byteSize;
  VstInt32 deltaFrames;
  VstInt32 flags;
  VstInt32 noteLength;
  VstInt32 noteOffset;
  char midiData[4];
  char detune;
  char noteOffVelocity;
  char reserved1;
  char reserved2;
};

struct VstMidiSysexEvent {
  VstInt32 type;
  VstInt32 byteSize;
  VstInt32 deltaFrames;
  VstInt32 flags;
  VstInt32 dumpBytes;
  VstIntPtr resvd1;
  char* sysexDump;
  VstIntPtr resvd2;
};

struct VstTimeInfo {
  double samplePos;
  double sampleRate;
  double nanoSeconds;
  double ppqPos;
  double tempo;
  double barStartPos;
  double cycleStartPos;
  double cycleEndPos;
  VstInt32 timeSigNumerator;
  VstInt32 timeSigDenominator;
  VstInt32 smpteOffset;
  VstInt32 smpteFrameRate;
  VstInt32 samplesToNextClock;
  VstInt32 flags;
};

// VstTimeInfo::flags and the request mask of audioMasterGetTime.
enum : VstInt32 {
  kVstTransportChanged = 1,
  kVstTransportPlaying = 1 << 1,
  kVstTransportCycleActive = 1 << 2,
  kVstTransportRecording = 1 << 3,
  kVstNanosValid = 1 << 8,
  kVstPpqPosValid = 1 << 9,
  kVstTempoValid = 1 << 10,
  kVstBarsValid = 1 << 11,
  kVstCyclePosValid = 1 << 12,
  kVstTimeSigValid = 1 << 13,
  kVstSmpteValid = 1 << 14,
  kVstClockValid = 1 << 15,
};

struct MidiKeyName {
  VstInt32 thisProgramIndex;
  VstInt32 thisKeyNumber;
  char keyName[kVstMaxNameLen];
  VstInt32 reserved;
  VstInt32 flags;
};

// ---- binary layout, as hosts read it
#define QO_VST2_AT(rec, field, x86, x64) \
  static_assert(offsetof(rec, field) == (sizeof(void*) == 8 ? (x64) : (x86)), #rec "::" #field)
#define QO_VST2_SIZE(rec, x86, x64) \
  static_assert(sizeof(rec) == (sizeof(void*) == 8 ? (x64) : (x86)), "size of " #rec)

static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "x86 or x86-64 pointers");
QO_VST2_AT(AEffect, magic, 0, 0);
QO_VST2_AT(AEffect, dispatcher, 4, 8);
QO_VST2_AT(AEffect, process, 8, 16);
QO_VST2_AT(AEffect, setParameter, 12, 24);
QO_VST2_AT(AEffect, getParameter, 16, 32);
QO_VST2_AT(AEffect, numPrograms, 20, 40);
QO_VST2_AT(AEffect, numParams, 24, 44);
QO_VST2_AT(AEffect, numInputs, 28, 48);
QO_VST2_AT(AEffect, numOutputs, 32, 52);
QO_VST2_AT(AEffect, flags, 36, 56);
QO_VST2_AT(AEffect, resvd1, 40, 64);
QO_VST2_AT(AEffect, resvd2, 44, 72);
QO_VST2_AT(AEffect, initialDelay, 48, 80);
QO_VST2_AT(AEffect, realQualities, 52, 84);
QO_VST2_AT(AEffect, offQualities, 56, 88);
QO_VST2_AT(AEffect, ioRatio, 60, 92);
QO_VST2_AT(AEffect, object, 64, 96);
QO_VST2_AT(AEffect, user, 68, 104);
QO_VST2_AT(AEffect, uniqueID, 72, 112);
QO_VST2_AT(AEffect, version, 76, 116);
QO_VST2_AT(AEffect, processReplacing, 80, 120);
QO_VST2_AT(AEffect, processDoubleReplacing, 84, 128);
QO_VST2_AT(AEffect, future, 88, 136);
QO_VST2_SIZE(AEffect, 144, 192);

QO_VST2_AT(VstTimeInfo, samplePos, 0, 0);
QO_VST2_AT(VstTimeInfo, sampleRate, 8, 8);
QO_VST2_AT(VstTimeInfo, ppqPos, 24, 24);
QO_VST2_AT(VstTimeInfo, tempo, 32, 32);
QO_VST2_AT(VstTimeInfo, barStartPos, 40, 40);
QO_VST2_AT(VstTimeInfo, cycleStartPos, 48, 48);
QO_VST2_AT(VstTimeInfo, cycleEndPos, 56, 56);
QO_VST2_AT(VstTimeInfo, timeSigNumerator, 64, 64);
QO_VST2_AT(VstTimeInfo, timeSigDenominator, 68, 68);
QO_VST2_AT(VstTimeInfo, smpteOffset, 72, 72);
QO_VST2_AT(VstTimeInfo, samplesToNextClock, 80, 80);
QO_VST2_AT(VstTimeInfo, flags, 84, 84);
QO_VST2_SIZE(VstTimeInfo, 88, 88);

QO_VST2_AT(VstEvent, byteSize, 4, 4);
QO_VST2_AT(VstEvent, deltaFrames, 8, 8);
QO_VST2_AT(VstEvent, data, 16, 16);
QO_VST2_SIZE(VstEvent, 32, 32);
QO_VST2_AT(VstEvents, reserved, 4, 8);
QO_VST2_AT(VstEvents, events, 8, 16);
QO_VST2_SIZE(VstEvents, 16, 32);
QO_VST2_AT(VstMidiEvent, noteLength, 16, 16);
QO_VST2_AT(VstMidiEvent, noteOffset, 20, 20);
QO_VST2_AT(VstMidiEvent, midiData, 24, 24);
QO_VST2_AT(VstMidiEvent, detune, 28, 28);
QO_VST2_AT(VstMidiEvent, noteOffVelocity, 29, 29);
QO_VST2_SIZE(VstMidiEvent, 32, 32);
QO_VST2_AT(VstMidiSysexEvent, dumpBytes, 16, 16);
QO_VST2_AT(VstMidiSysexEvent, resvd1, 20, 24);
QO_VST2_AT(VstMidiSysexEvent, sysexDump, 24, 32);
QO_VST2_AT(VstMidiSysexEvent, resvd2, 28, 40);
QO_VST2_SIZE(VstMidiSysexEvent, 32, 48);

QO_VST2_AT(VstPinProperties, flags, 64, 64);
QO_VST2_AT(VstPinProperties, arrangementType, 68, 68);
QO_VST2_AT(VstPinProperties, shortLabel, 72, 72);
QO_VST2_AT(VstPinProperties, future, 80, 80);
QO_VST2_SIZE(VstPinProperties, 128, 128);
QO_VST2_AT(VstSpeakerProperties, name, 16, 16);
QO_VST2_AT(VstSpeakerProperties, type, 80, 80);
QO_VST2_AT(VstSpeakerProperties, future, 84, 84);
QO_VST2_SIZE(VstSpeakerProperties, 112, 112);
QO_VST2_AT(VstSpeakerArrangement, numChannels, 4, 4);
QO_VST2_AT(VstSpeakerArrangement, speakers, 8, 8);
QO_VST2_SIZE(VstSpeakerArrangement, 904, 904);

QO_VST2_AT(ERect, left, 2, 2);
QO_VST2_AT(ERect, bottom, 4, 4);
QO_VST2_AT(ERect, right, 6, 6);
QO_VST2_SIZE(ERect, 8, 8);
QO_VST2_AT(MidiKeyName, keyName, 8, 8);
QO_VST2_AT(MidiKeyName, reserved, 72, 72);
QO_VST2_AT(MidiKeyName, flags, 76, 76);
QO_VST2_SIZE(MidiKeyName, 80, 80);

#undef QO_VST2_AT
#undef QO_VST2_SIZE
