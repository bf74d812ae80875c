// The reference-counted base of every object the AAX host holds, and the module-wide count of live
// objects that the module's unload query reports.
#pragma once

#include <atomic>
#include <cstdint>

#include "aax/aaxhost.h"

// Constructed and not yet destroyed CACFUnknown objects.
extern std::atomic<int32_t> gLiveObjectCount;

class CACFUnknown {
public:
  CACFUnknown();
  CACFUnknown(const CACFUnknown&) = delete;
  CACFUnknown& operator=(const CACFUnknown&) = delete;
  virtual ~CACFUnknown();

  // Kept for the slot order; never called by this system.
  virtual int32_t ReservedHook();
  // Called by the release that brings the count to zero, before deletion.
  virtual void OnLastRelease();
  virtual void DeleteThis();
  // The object's own query: the unknown identifier gives the inner unknown. Derived classes answer
  // their own interfaces and fall back to this.
  virtual ACFResult QueryOwnInterface(const AcfID& iid, void** out);
  virtual uint32_t AddOwnReference();
  virtual uint32_t ReleaseOwnReference();

  // What the public QueryInterface, AddRef and Release of every host-facing interface of a derived
  // object do: forward to the outer unknown.
  ACFResult OuterQueryInterface(const AcfID& iid, void** out) { return mOuterUnknown->QueryInterface(iid, out); }
  uint32_t OuterAddRef() { return mOuterUnknown->AddRef(); }
  uint32_t OuterRelease() { return mOuterUnknown->Release(); }

  IACFUnknown* InnerUnknown() { return &mInnerUnknown; }
  int32_t ReferenceCount() const { return mRefCount.load(); }

  class PrivateUnknown final : public IACFUnknown {
  public:
    explicit PrivateUnknown(CACFUnknown* owner) : mOwner(owner) {}
    ACFResult QueryInterface(const AcfID& iid, void** out) override { return mOwner->QueryOwnInterface(iid, out); }
    uint32_t AddRef() override { return mOwner->AddOwnReference(); }
    uint32_t Release() override { return mOwner->ReleaseOwnReference(); }

  private:
    CACFUnknown* mOwner;  // not owned: the object this unknown is embedded in
  };

private:
  std::atomic<int32_t> mRefCount;
  IACFUnknown* mOuterUnknown;  // not owned: the inner unknown (objects are never aggregated)
  PrivateUnknown mInnerUnknown;
};
