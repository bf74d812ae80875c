#include "aax/aaxeffectgui.h"

#include <memory>
#include <mutex>
#include <vector>

#include "aax/aaxstring.h"

namespace {

// Keeps every view-container proxy until the module is unloaded.
AAX_VViewContainer* KeepViewContainer(IACFUnknown* viewContainer) {
  static std::mutex lock;
  static std::vector<std::unique_ptr<AAX_VViewContainer>> kept;
  std::lock_guard<std::mutex> guard(lock);
  kept.reserve(kept.size() + 1);
  kept.push_back(std::make_unique<AAX_VViewContainer>(viewContainer));
  return kept.back().get();
}

}  // namespace

AAX_CEffectGUI::AAX_CEffectGUI() = default;

AAX_CEffectGUI::~AAX_CEffectGUI() {
  mViewContainer = nullptr;
  ReleaseHost();
}

ACFResult AAX_CEffectGUI::QueryOwnInterface(const AcfID& iid, void** out) {
  if (out && iid == AcfIds::kEffectGUI) {
    AAX_IACFEffectGUI* face = this;
    *out = face;
    face->AddRef();
    return kACFOk;
  }
  return CACFUnknown::QueryOwnInterface(iid, out);
}

void AAX_CEffectGUI::ReleaseHost() {
  if (mEffectParameters) {
    AAX_IACFEffectParameters* parameters = mEffectParameters;
    mEffectParameters = nullptr;
    parameters->Release();
  }
  delete mController;
  mController = nullptr;
  delete mTransport;
  mTransport = nullptr;
}

void AAX_CEffectGUI::CloseOpenEditor() {
  if (!mViewContainer) return;
  mViewContainer = nullptr;
  CloseEditorInHostView();
}

AAX_Result AAX_CEffectGUI::Initialize(IACFUnknown* hostUnknown) {
  return AnswerHostCall(kACFUnexpected, [&]() -> AAX_Result {
    if (mController || mTransport || mEffectParameters) Uninitialize();
    mController = new AAX_VController(hostUnknown);
    if (!hostUnknown) return kAAXNoHostUnknown;
    void* found = nullptr;
    if (hostUnknown->QueryInterface(AcfIds::kEffectParameters, &found) == kACFOk)
      mEffectParameters = static_cast<AAX_IACFEffectParameters*>(found);
    mTransport = new AAX_VTransport(hostUnknown);
    AdoptEditorGraphics();
    return kAAXOk;
  });
}

AAX_Result AAX_CEffectGUI::Uninitialize() {
  CloseOpenEditor();
  ReleaseEditorGraphics();
  ReleaseHost();
  return kAAXOk;
}

AAX_Result AAX_CEffectGUI::NotificationReceived(uint32_t, const void*, uint32_t) { return kAAXOk; }

AAX_Result AAX_CEffectGUI::SetViewContainer(IACFUnknown* viewContainer) {
  return AnswerHostCall(kACFUnexpected, [&]() -> AAX_Result {
    if (viewContainer) {
      mViewContainer = KeepViewContainer(viewContainer);
      OpenEditorInHostView();
      UpdateAllParameters();
    } else {
      mViewContainer = nullptr;
      CloseEditorInHostView();
    }
    return kAAXOk;
  });
}

AAX_Result AAX_CEffectGUI::GetViewSize(AAX_Point*) { return kAAXOk; }
AAX_Result AAX_CEffectGUI::HostOp8(int64_t) { return kAAXOk; }
AAX_Result AAX_CEffectGUI::HostOp9(int64_t) { return kAAXOk; }
AAX_Result AAX_CEffectGUI::OnParameterUpdate(const char*) { return kAAXOk; }
AAX_Result AAX_CEffectGUI::HostOp11(int64_t) { return kAAXNoHostObject; }
AAX_Result AAX_CEffectGUI::HostOp12(int64_t) { return kAAXOk; }

void AAX_CEffectGUI::UpdateAllParameters() {
  if (!mEffectParameters) return;
  int32_t count = 0;
  if (mEffectParameters->GetNumberOfParameters(&count) != kAAXOk) return;
  for (int32_t i = 0; i < count; ++i) {
    AAX_CString id;
    if (mEffectParameters->GetParameterIDFromIndex(i, &id) == kAAXOk) OnParameterUpdate(id.Text());
  }
}

void AAX_CEffectGUI::ReleaseEditorGraphics() {}

void* AAX_CEffectGUI::GetNativeView() const { return mViewContainer ? mViewContainer->GetNativeView() : nullptr; }

void AAX_CEffectGUI::OnLastRelease() {
  CloseOpenEditor();
  ReleaseEditorGraphics();
}
