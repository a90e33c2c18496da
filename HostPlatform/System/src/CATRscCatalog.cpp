#include "CATRscCatalog.h"

#include <vector>

#include "CATCatalogFile.h"

CATString CATRscCatalog::BuildResource(const CATString& catalog, const CATString& key,
                                       const CATString* params, int paramCount, const char* defaultResource) {
  std::vector<std::string> values;
  if (params && paramCount > 0) {
    values.reserve(static_cast<size_t>(paramCount));
    for (int i = 0; i < paramCount; ++i) values.push_back(params[i].str());
  }
  std::shared_ptr<const CATCatalogEntries> entries = CATFindCatalog(catalog.str(), ".CATRsc");
  if (entries) {
    auto found = entries->find(key.str());
    if (found != entries->end()) return CATString(CATInsertCatalogParameters(found->second, values));
  }
  return CATString(CATInsertCatalogParameters(defaultResource ? defaultResource : "", values));
}

void CATRscCatalog::Reset() {
  CATResetCatalogs();
}
