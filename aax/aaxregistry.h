// The parameters of one effect, owned, found by identifier text or by position.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "aax/aaxparameter.h"

class AAX_IAutomationDelegate;

class AAX_CParameterRegistry {
public:
  AAX_CParameterRegistry() = default;
  AAX_CParameterRegistry(const AAX_CParameterRegistry&) = delete;
  AAX_CParameterRegistry& operator=(const AAX_CParameterRegistry&) = delete;
  ~AAX_CParameterRegistry();

  // Stored before any parameter is added; a proxy that holds no host interface counts as none.
  void SetAutomationDelegate(AAX_IAutomationDelegate* delegate);
  AAX_IAutomationDelegate* AutomationDelegate() const { return mAutomationDelegate; }

  // Binds the parameter to the automation delegate and takes ownership. Answers false and takes
  // nothing (the caller still owns and deletes the parameter) for a null parameter or an identifier
  // already present.
  bool AddParameter(AAX_IParameter* parameter);
  // Deletes every parameter, first to last, and withdraws every identifier.
  void RemoveAllParameters();
  // The parameter with exactly this identifier; null for a null or unknown identifier.
  AAX_IParameter* FindParameter(const char* identifier) const;
  // Position of the parameter with exactly this identifier, or -1.
  int32_t IndexOfParameter(const char* identifier) const;
  int32_t ParameterCount() const { return static_cast<int32_t>(mParameters.size()); }
  // The caller checks the position.
  AAX_IParameter* ParameterAt(int32_t position) const { return mParameters[static_cast<size_t>(position)]; }

private:
  AAX_IAutomationDelegate* mAutomationDelegate = nullptr;  // not owned
  std::vector<AAX_IParameter*> mParameters;                // owned, in the order of insertion
  // Not owned: identifier -> parameter (bytewise order); looked up by the host's text as it is, so
  // that a lookup never allocates.
  std::map<std::string, AAX_IParameter*, std::less<>> mIndex;
};
