// The entry side of the AAX module: the seven exported ACF entry points, the two create procedures
// and the effect description (one effect, one component per channel layout of the plug-in).
#include "fx/formats/ifxaaxentry.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "aax/aaxproxies.h"
#include "aax/acfunknown.h"
#include "fx/formats/ifxaax.h"
#include "fx/formats/ifxaaxgui.h"
#include "fx/pluginentry.h"
#include "fx/synclock.h"

namespace {

constexpr uint64_t kSdkVersion = 0x00000201007756BFull;
constexpr uint32_t kCategoryDynamics = 2;
constexpr uint32_t kNoPluginId = 'none';
constexpr AAX_StemFormat kStemNone = 0xFF9C0000u;

// Native ids of the layouts ("1-1", "2-2"), then their AudioSuite ids.
constexpr uint32_t kPluginIds[] = {'EFN1', 'EFN2', 'EFA1', 'EFA2'};
constexpr int kLayoutsWithIds = static_cast<int>(sizeof kPluginIds / sizeof kPluginIds[0]) / 2;

enum : uint32_t {
  kMidiNodeLocalInput = 0,
  kMidiNodeGlobal = 2,
  kMidiNodeTransport = 3,
};

enum : AAX_PropertyId {
  kPropManufacturerId = 11,
  kPropProductId = 12,
  kPropNativePluginId = 13,
  kPropAudioSuitePluginId = 14,
  kPropInputStemFormat = 51,
  kPropOutputStemFormat = 52,
  kProp56 = 56,
  kProp60 = 60,
  kPropFlag151 = 151,
};

// What DescribeComponent tells the host about one channel layout.
struct ComponentRecord {
  bool globalMidi = false;
  const char* globalMidiName = "GlobalMIDI";
  uint32_t globalMidiMask = 0xFFFF;
  bool localMidi = false;
  const char* localMidiName = "QuibelOmbrelux Midi";
  uint32_t localMidiMask = 1;
  bool transport = true;
  const char* transportName = "Transport";
  uint32_t meterCount = 0;
  const uint32_t* meterIds = nullptr;
  uint32_t extraCount = 0;
  AAX_StemFormat inputStem = kStemNone;
  AAX_StemFormat outputStem = kStemNone;
  bool flag151 = false;
  int32_t value60 = 1;
  uint32_t manufacturerId = 0;
  uint32_t productId = 0;
  uint32_t nativeId = 0;
  uint32_t audioSuiteId = 0;
  int32_t value56 = 0;
};

AAX_StemFormat StemFormatFor(int channels) {
  switch (channels) {
    case 1: return 0x00000001;
    case 2: return 0x00010002;
    case 3: return 0x00020003;
    case 4: return 0x00040004;
    case 5: return 0x00050005;
    case 6: return 0x00060006;
    case 7: return 0x00080007;
    case 8: return 0x000C0008;
    default: return kStemNone;
  }
}

// Calls fn for each line of text (lines end at "\n"; an empty line ends the list).
template <typename F>
void ForEachLine(const std::string& text, F fn) {
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = text.find('\n', pos);
    const std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    if (line.empty()) return;
    fn(line.c_str());
    if (end == std::string::npos) return;
    pos = end + 1;
  }
}

AAX_Result DescribeComponent(AAX_IEffectDescriptor* effect, const ComponentRecord& r) {
  AAX_IComponentDescriptor* c = effect->CreateComponentDescriptor();
  if (!c) return kAAXNoHostObject;
  AAX_Result result = 0;
  result |= r.globalMidi ? c->AddMidiNodeField(kFieldGlobalMidi, kMidiNodeGlobal, r.globalMidiName, r.globalMidiMask)
                         : c->AddPrivateDataField(kFieldGlobalMidi, 4, 0);
  result |= r.localMidi ? c->AddMidiNodeField(kFieldLocalMidi, kMidiNodeLocalInput, r.localMidiName, r.localMidiMask)
                        : c->AddPrivateDataField(kFieldLocalMidi, 4, 0);
  result |= r.transport ? c->AddMidiNodeField(kFieldTransport, kMidiNodeTransport, r.transportName, 0xFFFF)
                        : c->AddPrivateDataField(kFieldTransport, 4, 0);
  result |= c->AddAudioInput(kFieldAudioIn);
  result |= c->AddAudioOutput(kFieldAudioOut);
  result |= c->AddBufferLengthField(kFieldBufferLength);
  result |= r.meterCount > 0 ? c->AddMeterField(kFieldMeters, r.meterIds, r.meterCount)
                             : c->AddPrivateDataField(kFieldMeters, 4, 0);
  // (This plug-in describes no extra entries: r.extraCount is 0.)
  result |= c->AddPrivateDataField(kFieldPrivate, 8, 0);
  AAX_IPropertyMap* map = c->CreatePropertyMap();
  if (!map) return result | kAAXNoHostObject;
  if (r.flag151) result |= map->AddProperty(kPropFlag151, 1);
  result |= map->AddProperty(kProp56, r.value56);
  result |= map->AddProperty(kPropInputStemFormat, static_cast<AAX_PropertyValue>(r.inputStem));
  result |= map->AddProperty(kPropOutputStemFormat, static_cast<AAX_PropertyValue>(r.outputStem));
  result |= map->AddProperty(kProp60, r.value60);
  result |= map->AddProperty(kPropManufacturerId, static_cast<AAX_PropertyValue>(r.manufacturerId));
  result |= map->AddProperty(kPropProductId, static_cast<AAX_PropertyValue>(r.productId));
  result |= map->AddProperty(kPropNativePluginId, static_cast<AAX_PropertyValue>(r.nativeId));
  if (r.audioSuiteId != kNoPluginId) {
    result |= map->AddProperty(kPropAudioSuitePluginId, static_cast<AAX_PropertyValue>(r.audioSuiteId));
  }
  result |= c->AddProcessProcedure(RenderInstances, map, nullptr, nullptr);
  result |= effect->AddComponentDescriptor(c);
  return result;
}

}  // namespace

AAX_Result DescribeEffects(AAX_ICollection* collection) { return DescribeEffectsOf(collection, PluginIdentity()); }

AAX_Result DescribeEffectsOf(AAX_ICollection* collection, const IFxIdentity& id) {
  if (!collection) return kAAXNullArgument;
  AAX_IEffectDescriptor* effect = collection->CreateEffectDescriptor();
  if (!effect) return kAAXNoHostObject;
  AAX_Result result = 0;

  ForEachLine(std::string(id.effectName) + "\n", [&](const char* line) {
    result |= effect->AddEffectName(line);
    collection->AddProductName(line);
  });
  result |= effect->SetEffectCategory(kCategoryDynamics);

  // Every channel pair "in-out" of the plug-in, in order; only as many layouts as there are ids.
  const char* pairs = id.channelIO ? id.channelIO : "";
  for (int k = 0; pairs && *pairs; ++k) {
    int inputs = 0, outputs = 0;
    if (std::sscanf(pairs, "%d-%d", &inputs, &outputs) != 2) break;
    if (k >= kLayoutsWithIds) {
      result |= kAAXNotImplemented;
      break;
    }
    ComponentRecord record;
    record.inputStem = StemFormatFor(inputs > 1 ? inputs : 1);
    record.outputStem = StemFormatFor(outputs);
    record.manufacturerId = static_cast<uint32_t>(id.makerId);
    record.productId = static_cast<uint32_t>(id.uniqueId);
    record.nativeId = kPluginIds[k];
    record.audioSuiteId = kPluginIds[k + kLayoutsWithIds];
    result |= DescribeComponent(effect, record);
    pairs = std::strchr(pairs, ' ');
    if (pairs) ++pairs;
  }

  result |= effect->AddCreateProcedure(NewEffectParameters, kProcEffectParameters);
  result |= effect->AddCreateProcedure(NewEffectGUI, kProcEffectGUI);

  if (result == 0) {
    char effectId[300];
    std::snprintf(effectId, sizeof effectId, "com.%s.aax.%s", id.makerName, id.effectName);
    result = collection->RegisterEffect(effectId, effect);
  }
  ForEachLine(std::string(id.makerName) + "\n", [&](const char* line) { collection->AddMakerName(line); });
  collection->SetPackageVersionNumber(static_cast<uint32_t>(id.vendorVersion));
  return result;
}

IACFUnknown* NewEffectParameters() {
  try {
    static SyncLock creationLock;  // serialises plug-in construction
    SyncLockScope lock(&creationLock);
    // The module is compiled with the AAX binding, so the object is an IFxAAX.
    IFxBase* fx = NewPluginObject(IFxCreateArgs());
    if (!fx) return nullptr;
    AAX_CIFxParameters* parameters = static_cast<IFxAAX*>(fx);
    return static_cast<AAX_IACFEffectParameters_V2*>(parameters);
  } catch (...) {
    return nullptr;
  }
}

// ---------------------------------------------------------------- the exports

QO_AAX_EXPORT ACFResult ACFRegisterPlugin(IACFUnknown* hostUnknown, IACFUnknown** outDefinition) {
  try {
    if (!outDefinition) return kAAXNullArgument;
    *outDefinition = nullptr;
    std::unique_ptr<AAX_VCollection> collection(new AAX_VCollection(hostUnknown));
    AAX_Result result = DescribeEffects(collection.get());
    if (result != 0) return result;
    AAX_HostCollection* host = collection->Primary();
    void* definition = nullptr;
    if (!host || host->QueryInterface(AcfIds::kPluginDefinition, &definition) != kACFOk || !definition) {
      return kAAXNoHostObject;
    }
    *outDefinition = static_cast<IACFUnknown*>(definition);
    return kAAXOk;
  } catch (...) {
    return kACFUnexpected;
  }
}

QO_AAX_EXPORT ACFResult ACFRegisterComponent(IACFUnknown*, const AcfID&, IACFUnknown** outComponent) {
  try {
    if (!outComponent) return kAAXNullArgument;
    *outComponent = nullptr;
    return kAAXOk;
  } catch (...) {
    return kACFUnexpected;
  }
}

QO_AAX_EXPORT ACFResult ACFGetClassFactory(IACFUnknown*, const AcfID&, const AcfID&, void** outFactory) {
  try {
    if (!outFactory) return kAAXNullArgument;
    *outFactory = nullptr;
    return kAAXNotImplemented;
  } catch (...) {
    return kACFUnexpected;
  }
}

QO_AAX_EXPORT ACFResult ACFCanUnloadNow(IACFUnknown*) {
  try {
    return gLiveObjectCount.load();
  } catch (...) {
    return kACFUnexpected;
  }
}

QO_AAX_EXPORT ACFResult ACFStartup(IACFUnknown* hostUnknown) {
  try {
    if (!gHostServices && hostUnknown) {
      gHostServices = new AAX_VHostServices(hostUnknown);
    } else if (gHostServices && !hostUnknown) {
      delete gHostServices;
      gHostServices = nullptr;
    }
    return kAAXOk;
  } catch (...) {
    return kACFUnexpected;
  }
}

QO_AAX_EXPORT ACFResult ACFShutdown(IACFUnknown*) {
  try {
    delete gHostServices;
    gHostServices = nullptr;
    return kAAXOk;
  } catch (...) {
    return kACFUnexpected;
  }
}

QO_AAX_EXPORT ACFResult ACFGetSDKVersion(uint64_t* outVersion) {
  try {
    if (!outVersion) return kAAXNullArgument;
    *outVersion = kSdkVersion;
    return kAAXOk;
  } catch (...) {
    return kACFUnexpected;
  }
}
