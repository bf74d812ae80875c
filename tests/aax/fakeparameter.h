// A stand-in AAX parameter for the registry tests: an identifier, the automation delegate it was
// bound to, and a shared event list that records binding and deletion. Set failing, its name, text
// and value reads throw std::bad_alloc, as an allocation that fails inside them would.
#pragma once

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "aax/aaxparameter.h"

class FakeParameter final : public AAX_IParameter {
public:
  FakeParameter(const char* identifier, std::vector<std::string>* events) : mEvents(events) {
    std::strncpy(mIdentifier, identifier, sizeof mIdentifier - 1);
    mIdentifier[sizeof mIdentifier - 1] = 0;
  }
  ~FakeParameter() = default;

  AAX_IAutomationDelegate* boundDelegate = nullptr;
  int binds = 0;
  bool failing = false;

  void Destroy() override {
    if (mEvents) mEvents->push_back(std::string("destroy ") + mIdentifier);
    delete this;
  }
  const char* GetIdentifier() const override { return mIdentifier; }
  void SetName(const AAX_IString& name) override { mName.SetText(name.Text()); }
  const AAX_CString& GetName() const override { return mName; }
  void AddShortenedName(const AAX_IString&) override {}
  const AAX_CString& GetShortenedName(int32_t) const override {
    MayFail();
    return mName;
  }
  void ClearShortenedNames() override {}
  bool IsAutomatable() const override { return true; }
  void BindAutomationDelegate(AAX_IAutomationDelegate* delegate) override {
    boundDelegate = delegate;
    ++binds;
    if (mEvents) mEvents->push_back(std::string("bind ") + mIdentifier);
  }
  void BeginTouch() override {}
  void EndTouch() override {}
  void SetNormalizedValue(double n) override { mValue = n; }
  double GetNormalizedValue() const override { return mValue; }
  void SetNormalizedDefaultValue(double) override {}
  double GetNormalizedDefaultValue() const override { return 0.0; }
  void SetToDefaultValue() override {}
  void SetNumberOfSteps(uint32_t) override {}
  uint32_t GetNumberOfSteps() const override { return 128; }
  uint32_t GetStepValue() const override { return 0; }
  void SetStepValue(uint32_t) override {}
  bool GetValueString(int32_t, AAX_IString*) const override { return MayFail(); }
  bool GetValueString(AAX_IString*) const override { return MayFail(); }
  bool GetNormalizedValueFromString(const AAX_IString&, double*) const override { return MayFail(); }
  bool GetStringFromNormalizedValue(double, int32_t, AAX_IString&) const override { return MayFail(); }
  bool GetStringFromNormalizedValue(double, AAX_IString&) const override { return MayFail(); }
  bool SetValueFromString(const AAX_IString&) override { return false; }
  bool ReadBool(bool*) const override { return false; }
  bool ReadInt32(int32_t*) const override { return false; }
  bool ReadFloat(float*) const override { return false; }
  bool ReadDouble(double* out) const override {
    MayFail();
    *out = mValue;
    return true;
  }
  bool ReadString(AAX_IString*) const override { return false; }
  bool WriteBool(bool) override { return false; }
  bool WriteInt32(int32_t) override { return false; }
  bool WriteFloat(float) override { return false; }
  bool WriteDouble(double v) override {
    mValue = v;
    return true;
  }
  bool WriteString(const AAX_IString&) override { return false; }
  void SetType(int32_t) override {}
  int32_t GetType() const override { return 1; }
  void SetOrientation(int32_t) override {}
  int32_t GetOrientation() const override { return 0; }
  void SetTaperDelegate(const AAX_ITaperDelegateBase*, bool) override {}
  void SetDisplayDelegate(const AAX_IDisplayDelegateBase*) override {}
  void ApplyNormalizedValue(double n) override { mValue = n; }

private:
  // false, or the throw when failing.
  bool MayFail() const {
    if (failing) throw std::bad_alloc();
    return false;
  }

  char mIdentifier[32];
  AAX_CString mName;
  double mValue = 0.0;
  std::vector<std::string>* mEvents;
};
