// The AAX module's entry points: the seven exported ACF functions, the create procedures of the
// effect's two objects and the effect description they hand the host.
#pragma once

#include <cstdint>

#include "aax/aaxhost.h"

class AAX_ICollection;
struct IFxIdentity;

#if defined(_WIN32)
#define QO_AAX_EXPORT extern "C" __declspec(dllexport)
#else
#define QO_AAX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Create procedure ids of the effect's parameters object and its editor object.
enum : uint32_t {
  kProcEffectParameters = 0,
  kProcEffectGUI = 1,
};

// Describes the plug-in's one effect to the collection and registers it; 0 or the failure.
AAX_Result DescribeEffects(AAX_ICollection* collection);
// The same for a given identity: one component per channel pair, as many as there are plug-in ids
// (a longer list fails before anything is registered); an input count of 0 is described as mono.
AAX_Result DescribeEffectsOf(AAX_ICollection* collection, const IFxIdentity& id);
// The parameters create procedure: a new plug-in object's effect-parameters interface, or null.
IACFUnknown* NewEffectParameters();

// Each export answers 0x8000FFFF when anything is thrown inside it; a null out pointer answers
// -20002 and nothing is written.
QO_AAX_EXPORT ACFResult ACFRegisterPlugin(IACFUnknown* hostUnknown, IACFUnknown** outDefinition);
QO_AAX_EXPORT ACFResult ACFRegisterComponent(IACFUnknown* hostUnknown, const AcfID& componentId,
                                             IACFUnknown** outComponent);
QO_AAX_EXPORT ACFResult ACFGetClassFactory(IACFUnknown* hostUnknown, const AcfID& classId,
                                           const AcfID& interfaceId, void** outFactory);
// The number of the support library's live objects (0: the module may be unloaded).
QO_AAX_EXPORT ACFResult ACFCanUnloadNow(IACFUnknown* hostUnknown);
QO_AAX_EXPORT ACFResult ACFStartup(IACFUnknown* hostUnknown);
QO_AAX_EXPORT ACFResult ACFShutdown(IACFUnknown* hostUnknown);
QO_AAX_EXPORT ACFResult ACFGetSDKVersion(uint64_t* outVersion);
