#ifndef ZELUtil_h
#define ZELUtil_h
// What every command needs to know about the user's selection: the selected PLM component (from the
// current window, or from the search workbench's results), whether the current window is a navigation
// (explorer) window, and whether one PLM type is a kind of another.
//
// Results: S_OK, 1 when more than one object is selected (no component is returned then), or E_FAIL.
#include "CATAdpPLMAttributeSet.h"
#include "CATIAdpPLMIdentificator.h"
#include "CATIPLMComponent.h"
#include "CATIType.h"
#include "CATListOfCATUnicodeString.h"
#include "CATUnicodeString.h"
#include "ZELCommandsExport.h"

class ExportedByZELCommands ZELUtil {
 public:
  // The selected component. With related and text, also the entity the selected occurrence is used
  // through (its component and its "PLM_ExternalID"). With fallBack, a window (or search) without a
  // usable selection gives its root component when it edits exactly one. names receives the texts the
  // navigator shows for the selected object.
  static long GetSelectedComponent(CATIPLMComponent_var& oComponent, CATIPLMComponent_var* oRelated = nullptr,
                                   CATUnicodeString* oText = nullptr, unsigned char iFallBack = 0,
                                   CATListValCATUnicodeString* oNames = nullptr);
  // Whether the current window edits navigable root occurrences.
  static unsigned char IsExplorerWindowActive();
  // oFlag tells whether iType is iSuperType or one of its subtypes; written only on success. E_FAIL for a
  // missing dictionary or an unknown type name.
  static long IsSubType(const CATUnicodeString& iSuperType, const CATUnicodeString& iType,
                        unsigned char& oFlag);
  // The attributes the database stores for the object, not the session's pending changes, with the type of
  // its stored key when oType is given. E_FAIL when the object has no stored key (never saved).
  static long GetStoredAttributes(CATIAdpPLMIdentificator* iId, CATAdpPLMAttributeSet& oAttributes,
                                  CATIType_var* oType = nullptr);
  // Prints, on standard output, the tree of PLM types that holds "PLMCoreRepReference", from its top.
  static void PrintTypeHirarchy();

 private:
  static long GetSelection(CATIPLMComponent_var& oComponent, CATIPLMComponent_var* oRelated,
                           CATUnicodeString* oText, CATListValCATUnicodeString* oNames);
  static long GetSelectionFromSearch(CATIPLMComponent_var& oComponent, CATListValCATUnicodeString* oNames);
  static long GetRootComponent(CATIPLMComponent_var& oComponent, const unsigned char& iFromSearch,
                               CATListValCATUnicodeString* oNames);
  static void PrintTypeHirarchyRec(const CATIType_var& iType, int iDepth);
};

#endif
