// The base of the editor object the host creates next to each effect instance. It connects to the
// host's controller and transport, finds the instance's effect-parameters object, and receives the
// host's view container when the host opens or closes the editor; a derived class supplies the
// editor itself (AdoptEditorGraphics, OpenEditorInHostView, CloseEditorInHostView).
//
// Every operation runs on the host's user-interface thread; nothing here takes a lock. Initialize and
// SetViewContainer answer 0x8000FFFF when their work throws (an allocation that fails) instead of
// letting the exception out.
#pragma once

#include <cstdint>

#include "aax/aaxhost.h"
#include "aax/aaxproxies.h"
#include "aax/acfunknown.h"

class AAX_CEffectGUI : public AAX_IACFEffectGUI, public CACFUnknown {
public:
  AAX_CEffectGUI();
  // Releases the host connections. An editor still open was closed by the last release (below),
  // while the derived object was whole.
  ~AAX_CEffectGUI() override;

  ACFResult QueryInterface(const AcfID& iid, void** out) override { return OuterQueryInterface(iid, out); }
  uint32_t AddRef() override { return OuterAddRef(); }
  uint32_t Release() override { return OuterRelease(); }
  // Also answers the GUI identifier with the main interface.
  ACFResult QueryOwnInterface(const AcfID& iid, void** out) override;

  // Makes the controller proxy, finds the effect-parameters object, makes the transport proxy and
  // lets the derived class adopt its editor; -20011 (nothing queried, nothing adopted) without a
  // host unknown. A second call first does what Uninitialize does.
  AAX_Result Initialize(IACFUnknown* hostUnknown) override;
  // Closes an open editor and lets the derived class drop its editor graphics, then releases the
  // effect-parameters reference and deletes the proxies.
  AAX_Result Uninitialize() override;
  AAX_Result NotificationReceived(uint32_t type, const void* data, uint32_t size) override;
  // A container opens the editor in it and shows every parameter's value; null closes the editor.
  AAX_Result SetViewContainer(IACFUnknown* viewContainer) override;
  AAX_Result GetViewSize(AAX_Point* out) override;
  AAX_Result HostOp8(int64_t arg) override;
  AAX_Result HostOp9(int64_t arg) override;
  AAX_Result OnParameterUpdate(const char* id) override;
  AAX_Result HostOp11(int64_t arg) override;
  AAX_Result HostOp12(int64_t arg) override;

  virtual void AdoptEditorGraphics() = 0;
  virtual void OpenEditorInHostView() = 0;
  virtual void CloseEditorInHostView() = 0;
  // OnParameterUpdate for every parameter of the effect, in registry order.
  virtual void UpdateAllParameters();
  // Forgets the editor graphics adopted at Initialize (which belong to the effect object); called
  // after an open editor was closed at Uninitialize and at the last release. Nothing by default.
  virtual void ReleaseEditorGraphics();

  // Counted reference to the effect-parameters interface, null when the host gave none.
  AAX_IACFEffectParameters* GetParametersInterface() const { return mEffectParameters; }
  // The open editor's view container; null while the editor is closed.
  AAX_VViewContainer* GetViewContainerProxy() const { return mViewContainer; }
  // The native window of the open view, null without one.
  void* GetNativeView() const;

protected:
  // The host's last release: the editor is closed while the derived class can still close it.
  void OnLastRelease() override;

private:
  void CloseOpenEditor();
  void ReleaseHost();

  AAX_VController* mController = nullptr;                 // owned
  AAX_IACFEffectParameters* mEffectParameters = nullptr;  // counted reference
  // Not owned: view-container proxies live as long as the module, because the editor's graphics
  // object may keep addressing the last one after this object is gone.
  AAX_VViewContainer* mViewContainer = nullptr;
  AAX_VTransport* mTransport = nullptr;  // owned
};
