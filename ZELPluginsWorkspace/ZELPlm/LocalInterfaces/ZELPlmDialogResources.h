#ifndef ZELPlmDialogResources_h
#define ZELPlmDialogResources_h
// What a PDM dialog takes from its catalogs: title, help texts and standard button titles from the message
// catalog of the edition over the common one, icons from the "ZEL" resource catalog of the same name.
#include "CATDlgDialog.h"

class ZELPlmDialogResources {
 public:
  // catalog without the "ZEL" prefix, as ZELGlobal::BuildMessage takes it; a missing key leaves the
  // toolkit's own text.
  static void Apply(CATDlgDialog* iDialog, const char* iCatalog);
};

#endif
