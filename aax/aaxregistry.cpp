#include "aax/aaxregistry.h"

#include <cstring>
#include <string_view>

#include "aax/aaxproxies.h"

AAX_CParameterRegistry::~AAX_CParameterRegistry() { RemoveAllParameters(); }

void AAX_CParameterRegistry::SetAutomationDelegate(AAX_IAutomationDelegate* delegate) {
  mAutomationDelegate = AutomationDelegateConnected(delegate) ? delegate : nullptr;
}

bool AAX_CParameterRegistry::AddParameter(AAX_IParameter* parameter) {
  if (!parameter) return false;
  const char* identifier = parameter->GetIdentifier();
  if (!identifier || FindParameter(identifier)) return false;
  mParameters.reserve(mParameters.size() + 1);
  mIndex.emplace(identifier, parameter);
  mParameters.push_back(parameter);
  parameter->BindAutomationDelegate(mAutomationDelegate);
  return true;
}

void AAX_CParameterRegistry::RemoveAllParameters() {
  std::vector<AAX_IParameter*> parameters;
  parameters.swap(mParameters);
  mIndex.clear();
  for (AAX_IParameter* p : parameters)
    if (p) p->Destroy();
}

AAX_IParameter* AAX_CParameterRegistry::FindParameter(const char* identifier) const {
  if (!identifier) return nullptr;
  auto it = mIndex.find(std::string_view(identifier));
  return it != mIndex.end() ? it->second : nullptr;
}

int32_t AAX_CParameterRegistry::IndexOfParameter(const char* identifier) const {
  if (!identifier) return -1;
  for (size_t i = 0; i < mParameters.size(); ++i) {
    const char* own = mParameters[i] ? mParameters[i]->GetIdentifier() : nullptr;
    if (own && std::strcmp(own, identifier) == 0) return static_cast<int32_t>(i);
  }
  return -1;
}
