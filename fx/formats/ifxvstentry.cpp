// The entry of the VST2 module: VSTPluginMain builds one plug-in object per call and hands the host
// its effect record. The module-definition file exports the same function a second time as "main".
#include "fx/formats/ifxvst.h"
#include "fx/pluginentry.h"
#include "fx/synclock.h"

#if defined(_WIN32)
#define QO_VST2_EXPORT extern "C" __declspec(dllexport)
#else
#define QO_VST2_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Host's loading thread (any thread; two hosts' threads may call at once); serialised by a
// creation lock made on first use; the record, or null when the host gave no callback or the
// object could not be built.
QO_VST2_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback hostCallback) {
  // Every request to the host goes through the callback: without one there is no host to serve.
  if (!hostCallback) return nullptr;
  static SyncLock creationLock;
  SyncLockScope lock(&creationLock);
  IFxCreateArgs args;
  args.mHostCallback = reinterpret_cast<void*>(hostCallback);
  // The module is compiled with the VST2 binding, so the object is an IFxVST.
  IFxVST* fx = static_cast<IFxVST*>(NewPluginObject(args));
  if (!fx) return nullptr;
  return fx->PublishRecord();
}
