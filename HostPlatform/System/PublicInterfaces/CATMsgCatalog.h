#ifndef CATMsgCatalog_h
#define CATMsgCatalog_h
// Message catalogs: files "<Catalog>.CATNls" holding lines  Key = "text with /P1 /P2 parameters";
// found on the directories of "CATMsgCatalogPath" (colon-separated) and then in the runtime tree's
// resources/msgcatalog. A catalog is read once per process.
#include "CATString.h"
#include "CATUnicodeString.h"

class ExportedByCATSysTS CATMsgCatalog {
 public:
  // The key's text with /P1../Pn replaced by the parameters, or the default when the catalog or key is
  // missing (the default gets its parameters inserted too).
  static CATUnicodeString BuildMessage(const CATString& catalog, const CATString& key,
                                       const CATUnicodeString* params = nullptr, int paramCount = 0,
                                       const CATUnicodeString& defaultMessage = CATUnicodeString());
  // Whether the key is present in the catalog.
  static int HasKey(const CATString& catalog, const CATString& key);
  // Forgets every catalog read so far (for tests that rewrite catalog files).
  static void Reset();
};

#endif
