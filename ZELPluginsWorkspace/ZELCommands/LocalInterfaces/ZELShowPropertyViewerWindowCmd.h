#ifndef ZELShowPropertyViewerWindowCmd_h
#define ZELShowPropertyViewerWindowCmd_h
// Diagnostic aid: shows every knowledge attribute of the selected PLM component (name, type, value) in a
// text window, ZELPropertyViewerDialog. With ZEL_PRINT_CLASSHIRARCHY=ON it first prints the PLM type tree.
// Created by name through fctCreateZELShowPropertyViewerWindowCmd; it ends within Activate.
#include "CATAttributeInfos.h"
#include "CATCommand.h"
#include "CATIPLMComponent.h"

class ZELShowPropertyViewerWindowCmd : public CATCommand {
 public:
  ZELShowPropertyViewerWindowCmd();
  ~ZELShowPropertyViewerWindowCmd() override;

  CATStatusChangeRC Activate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Desactivate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Cancel(CATCommand* iFrom, CATNotification* iNotification) override;

  // The display text of the component's attributes; the first failure of open, listing, rendering and
  // release.
  static int GeneratePLMCompAttrDispStrFromNavX(const CATBaseUnknown_var& iComponent,
                                                CATUnicodeString& oText);
  // One line per attribute; E_FAIL without attributes, else the result of the last value read.
  static HRESULT GeneratePLMCompAttributesDisplayString(const CATIPLMComponent_var& iObject,
                                                        const CATListValCATAttributeInfos& iAttributes,
                                                        CATUnicodeString& oText);
};

#endif
