// Compile-time check of the record layouts hosts rely on (sizes and offsets, x86-64 and x86).
#include <cstddef>

#include "vst3/interfaces.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr bool k64 = sizeof(void*) == 8;

static_assert(sizeof(PFactoryInfo) == 452 && offsetof(PFactoryInfo, flags) == 448, "PFactoryInfo");
static_assert(sizeof(PClassInfo) == 116 && offsetof(PClassInfo, name) == 52, "PClassInfo");
static_assert(sizeof(PClassInfo2) == 440 && offsetof(PClassInfo2, sdkVersion) == 376, "PClassInfo2");
static_assert(sizeof(PClassInfoW) == 696 && offsetof(PClassInfoW, vendor) == 312, "PClassInfoW");
static_assert(sizeof(BusInfo) == 276 && offsetof(BusInfo, busType) == 268, "BusInfo");
static_assert(sizeof(RoutingInfo) == 12, "RoutingInfo");
static_assert(sizeof(ProcessSetup) == 24 && offsetof(ProcessSetup, sampleRate) == 16, "ProcessSetup");
static_assert(sizeof(AudioBusBuffers) == 24 && offsetof(AudioBusBuffers, channelBuffers32) == 16, "AudioBusBuffers");
static_assert(sizeof(ProcessData) == (k64 ? 80 : 48), "ProcessData size");
static_assert(offsetof(ProcessData, inputs) == (k64 ? 24 : 20), "ProcessData inputs");
static_assert(offsetof(ProcessData, processContext) == (k64 ? 72 : 44), "ProcessData context");
static_assert(sizeof(ProcessContext) == 112 && offsetof(ProcessContext, chord) == 88 &&
              offsetof(ProcessContext, frameRate) == 96 && offsetof(ProcessContext, samplesToNextClock) == 104,
              "ProcessContext");
static_assert(sizeof(Event) == (k64 ? 48 : 40) && offsetof(Event, noteOn) == (k64 ? 24 : 20), "Event");
static_assert(sizeof(NoteOnEvent) == 20 && sizeof(NoteOffEvent) == 16, "note events");
static_assert(sizeof(ParameterInfo) == 792 && offsetof(ParameterInfo, defaultNormalizedValue) == 776 &&
              offsetof(ParameterInfo, flags) == 788, "ParameterInfo");
static_assert(sizeof(UnitInfo) == 268 && sizeof(ProgramListInfo) == 264, "unit records");
static_assert(sizeof(ViewRect) == 16 && sizeof(IContextMenuItem) == 264, "view records");
