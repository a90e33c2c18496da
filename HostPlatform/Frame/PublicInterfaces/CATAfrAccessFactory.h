#ifndef CATAfrAccessFactory_h
#define CATAfrAccessFactory_h
// Creates the accesses of the action bar by kind.
#include "CATAfrFoundationExport.h"
#include "CATCmdAccess.h"

class ExportedByCATAfrFoundation CATAfrAccessFactory {
 public:
  // A new access (one reference, the caller's) of kind "CATCmdContainer" or "CATCmdStarter"; null for any
  // other kind or without a name.
  static CATCmdAccess* NewAccess(const CATString& kind, const CATString& name);
};

#endif
