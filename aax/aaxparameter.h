// The interface through which the host and the library read and write one AAX parameter. Its slots
// are counted from 1 after an explicit slot 0 (see aaxhost.h): Destroy() deletes the parameter.
#pragma once

#include <cstdint>

#include "aax/aaxhost.h"
#include "aax/aaxstring.h"

class AAX_IAutomationDelegate;

// The module's live delegate objects, one set per kind (0 tapers, 1 displays), by address. A
// delegate the host hands to a parameter's slot is used only when it is in the set of its kind: an
// object of the host's, built by another compiler, can be neither cast nor called by this module.
namespace aaxlive {
void Enter(int kind, const void* object);
void Leave(int kind, const void* object);
// Only the address is compared: nothing of the object is read.
bool Contains(int kind, const void* object);
}  // namespace aaxlive

// Base of the taper (Kind 0) and display (Kind 1) delegates: a virtual deleting destructor, and an
// entry in the set of live delegates of its kind from construction to destruction.
template <int Kind>
class AAX_CDelegateBase {
public:
  AAX_CDelegateBase() { aaxlive::Enter(Kind, this); }
  AAX_CDelegateBase(const AAX_CDelegateBase&) : AAX_CDelegateBase() {}
  AAX_CDelegateBase& operator=(const AAX_CDelegateBase&) { return *this; }
  virtual ~AAX_CDelegateBase() { aaxlive::Leave(Kind, this); }

  // Whether the object is a live delegate of this kind made by this module.
  static bool IsOwn(const AAX_CDelegateBase* object) { return aaxlive::Contains(Kind, object); }
};

using AAX_ITaperDelegateBase = AAX_CDelegateBase<0>;
using AAX_IDisplayDelegateBase = AAX_CDelegateBase<1>;

// Texts crossing the interface are the host's AAX_IString objects when the host calls: they are
// read and written through their own slots only.
class AAX_IParameter {
public:
  virtual void Destroy() = 0;                                                       // 0
  virtual const char* GetIdentifier() const = 0;                                    // 1
  virtual void SetName(const AAX_IString& name) = 0;                                // 2
  virtual const AAX_CString& GetName() const = 0;                                   // 3
  virtual void AddShortenedName(const AAX_IString& name) = 0;                       // 4
  virtual const AAX_CString& GetShortenedName(int32_t numChars) const = 0;          // 5
  virtual void ClearShortenedNames() = 0;                                           // 6
  virtual bool IsAutomatable() const = 0;                                           // 7
  virtual void BindAutomationDelegate(AAX_IAutomationDelegate* delegate) = 0;       // 8
  virtual void BeginTouch() = 0;                                                    // 9
  virtual void EndTouch() = 0;                                                      // 10
  virtual void SetNormalizedValue(double normalized) = 0;                           // 11
  virtual double GetNormalizedValue() const = 0;                                    // 12
  virtual void SetNormalizedDefaultValue(double normalized) = 0;                    // 13
  virtual double GetNormalizedDefaultValue() const = 0;                             // 14
  virtual void SetToDefaultValue() = 0;                                             // 15
  virtual void SetNumberOfSteps(uint32_t steps) = 0;                                // 16
  virtual uint32_t GetNumberOfSteps() const = 0;                                    // 17
  virtual uint32_t GetStepValue() const = 0;                                        // 18
  virtual void SetStepValue(uint32_t step) = 0;                                     // 19
  virtual bool GetValueString(int32_t maxChars, AAX_IString* out) const = 0;        // 20
  virtual bool GetValueString(AAX_IString* out) const = 0;                          // 21
  virtual bool GetNormalizedValueFromString(const AAX_IString& text, double* out) const = 0;  // 22
  virtual bool GetStringFromNormalizedValue(double normalized, int32_t maxChars, AAX_IString& out) const = 0;  // 23
  virtual bool GetStringFromNormalizedValue(double normalized, AAX_IString& out) const = 0;  // 24
  virtual bool SetValueFromString(const AAX_IString& text) = 0;                     // 25
  virtual bool ReadBool(bool* out) const = 0;                                       // 26
  virtual bool ReadInt32(int32_t* out) const = 0;                                   // 27
  virtual bool ReadFloat(float* out) const = 0;                                     // 28
  virtual bool ReadDouble(double* out) const = 0;                                   // 29
  virtual bool ReadString(AAX_IString* out) const = 0;                              // 30
  virtual bool WriteBool(bool value) = 0;                                           // 31
  virtual bool WriteInt32(int32_t value) = 0;                                       // 32
  virtual bool WriteFloat(float value) = 0;                                         // 33
  virtual bool WriteDouble(double value) = 0;                                       // 34
  virtual bool WriteString(const AAX_IString& value) = 0;                           // 35
  virtual void SetType(int32_t type) = 0;                                           // 36
  virtual int32_t GetType() const = 0;                                              // 37
  virtual void SetOrientation(int32_t orientation) = 0;                             // 38
  virtual int32_t GetOrientation() const = 0;                                       // 39
  // The delegates are passed by pointer (the same slot layout as by reference) so that a null one
  // can be refused.
  virtual void SetTaperDelegate(const AAX_ITaperDelegateBase* taper, bool preserveValue) = 0;  // 40
  virtual void SetDisplayDelegate(const AAX_IDisplayDelegateBase* display) = 0;    // 41
  virtual void ApplyNormalizedValue(double normalized) = 0;                         // 42

protected:
  ~AAX_IParameter() = default;
};
