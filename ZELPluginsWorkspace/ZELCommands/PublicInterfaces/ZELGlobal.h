#ifndef ZELGlobal_h
#define ZELGlobal_h
// Edition of the installation, module prefix, localised messages and resources through the catalog chain,
// standard dialog texts, the module-missing warning and whether the add-ins show their toolbars.
#include "CATString.h"
#include "CATUnicodeString.h"
#include "ZELCommandsExport.h"

// Tests reach private statics through this class; the product never defines it.
class ZELTestAccess;

class CATCommand;
class CATDlgDialog;

enum ZELModule {
  ZELModuleUnknown = 0,
  ZELModuleTeamcenter = 1,
  ZELModuleAras = 2,
  ZELModuleCIMDatabase = 3,
  ZELModuleMissing = -1
};

class ExportedByZELCommands ZELGlobal {
 public:
  static ZELModule GetZELModule();
  static const char* GetZELModulePrefix();
  static CATString AddPrefixToResorceName(CATString resourceName);
  static CATUnicodeString BuildMessage(CATString catalog, CATString key, CATUnicodeString* params,
                                       int paramCount, CATUnicodeString fallback);
  static CATString BuildResource(const CATString& catalog, const CATString& key, CATString* params,
                                 int paramCount, const char* fallback);
  static void SetDialogStandardMessages(CATDlgDialog* dialog, const CATString& catalog);
  static void ShowModuleMissing(CATCommand* command, int unused, void* clientData);
  static unsigned char ShowToolbar();

 private:
  friend class ::ZELTestAccess;
  static ZELModule s_eModule;
};

#endif
