#ifndef CATPLMCoexistence_h
#define CATPLMCoexistence_h
// The coexistence mappings the PLM database keeps: which side (V5 or V6) masters an object in a
// coexistence context. Changed by the batch "CoexistenceAdministration" only.
#include <string>
#include <vector>

#include "CATPLMServicesExport.h"
#include "CATUnicodeString.h"

struct CATPLMCoexMapping {
  std::string externalId;
  std::string revision;
  std::string name;
  std::string context;
  std::string master;  // "V5" or "V6"
};

class ExportedByCATPLMServices CATPLMCoexistence {
 public:
  // The mappings of the current session's database, by context, then external id and revision; with a
  // non-empty iExternalId only that object's. E_FAIL when the database cannot be read.
  static HRESULT ListMappings(const std::string& iExternalId, std::vector<CATPLMCoexMapping>& oMappings);
};

#endif
