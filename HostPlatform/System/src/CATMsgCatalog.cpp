#include "CATMsgCatalog.h"

#include <vector>

#include "CATCatalogFile.h"

namespace {
const char* const kExtension = ".CATNls";
}

CATUnicodeString CATMsgCatalog::BuildMessage(const CATString& catalog, const CATString& key,
                                             const CATUnicodeString* params, int paramCount,
                                             const CATUnicodeString& defaultMessage) {
  std::vector<std::string> values;
  if (params && paramCount > 0) {
    values.reserve(static_cast<size_t>(paramCount));
    for (int i = 0; i < paramCount; ++i) values.push_back(params[i].ConvertToUTF8());
  }
  std::shared_ptr<const CATCatalogEntries> entries = CATFindCatalog(catalog.str(), kExtension);
  if (entries) {
    auto found = entries->find(key.str());
    if (found != entries->end()) return CATUnicodeString(CATInsertCatalogParameters(found->second, values));
  }
  return CATUnicodeString(CATInsertCatalogParameters(defaultMessage.ConvertToUTF8(), values));
}

int CATMsgCatalog::HasKey(const CATString& catalog, const CATString& key) {
  std::shared_ptr<const CATCatalogEntries> entries = CATFindCatalog(catalog.str(), kExtension);
  return entries && entries->count(key.str()) ? 1 : 0;
}

void CATMsgCatalog::Reset() {
  CATResetCatalogs();
}
