#ifndef CATRscCatalog_h
#define CATRscCatalog_h
// Resource catalogs: files "<Catalog>.CATRsc", same syntax and search path as message catalogs.
#include "CATString.h"

class ExportedByCATSysTS CATRscCatalog {
 public:
  // The key's text with /P1../Pn replaced, or the default (null default: empty) when missing.
  static CATString BuildResource(const CATString& catalog, const CATString& key,
                                 const CATString* params = nullptr, int paramCount = 0,
                                 const char* defaultResource = nullptr);
  static void Reset();
};

#endif
