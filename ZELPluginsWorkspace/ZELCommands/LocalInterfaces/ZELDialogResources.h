#ifndef ZELDialogResources_h
#define ZELDialogResources_h
// The texts and icon a dialog's own catalog gives it: title, standard button titles, help texts and icons.
#include "CATDlgDialog.h"
#include "CATString.h"

class ZELDialogResources {
 public:
  // Only what the catalog holds: a missing key leaves the toolkit's own text.
  static void Apply(CATDlgDialog* iDialog, const CATString& iCatalog);
};

#endif
