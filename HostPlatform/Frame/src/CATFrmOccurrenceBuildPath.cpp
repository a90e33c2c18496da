#include "CATFrmOccurrenceBuildPath.h"

#include <vector>

#include "CATPLMNavServices.h"

namespace {
struct Registrar {
  Registrar() {
    CATPLMNavServices::RegisterOccurrenceExtension(IID_CATIBuildPath,
                                                   [](CATIPLMNavOccurrence* occurrence) -> CATBaseUnknown* {
                                                     return new CATFrmOccurrenceBuildPath(occurrence);
                                                   });
  }
} registrar;
}  // namespace

HRESULT CATFrmOccurrenceBuildPath::QueryInterface(const IID& iid, void** out) {
  if (!out) return E_INVALIDARG;
  if (iid == IID_CATIBuildPath) return CATQueryInterfaceOf<CATIBuildPath>(this, iid, out);
  *out = nullptr;
  return occurrence_ != NULL_var ? occurrence_->QueryInterface(iid, out) : E_NOINTERFACE;
}

HRESULT CATFrmOccurrenceBuildPath::ExtractPathElement(CATPathElement* iContext, CATPathElement** oPath) {
  if (!oPath) return E_INVALIDARG;
  *oPath = nullptr;
  if (occurrence_ == NULL_var) return E_FAIL;
  std::vector<CATIPLMNavOccurrence_var> chain{occurrence_};
  for (CATIPLMNavOccurrence_var father; SUCCEEDED(chain.back()->GetFather(father)) && father != NULL_var;)
    chain.push_back(father);
  CATPathElement* path = new CATPathElement;
  int top = iContext ? iContext->Locate(chain.back()) : -1;
  for (int i = 0; i < top; ++i) path->AddChildElement((*iContext)[i]);
  for (auto node = chain.rbegin(); node != chain.rend(); ++node) path->AddChildElement(*node);
  *oPath = path;
  return S_OK;
}
