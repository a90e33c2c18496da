#include "ZELDialogResources.h"

#include "CATMsgCatalog.h"
#include "CATRscCatalog.h"
#include "ZELDebug.h"

void ZELDialogResources::Apply(CATDlgDialog* iDialog, const CATString& iCatalog) {
  ZEL_DEBUG_SCOPE("ZELDialogResources::Apply");
  if (!iDialog || iCatalog.IsNull()) {
    ZEL_FAILURE_POINT();
    return;
  }
  auto text = [&iCatalog](const char* key) {
    return CATMsgCatalog::BuildMessage(iCatalog, key, nullptr, 0, CATUnicodeString());
  };
  CATUnicodeString value;
  if (!(value = text("Title")).IsNull()) iDialog->SetTitle(value);
  if (!(value = text("CancelBtnTitle")).IsNull()) iDialog->SetCANCELTitle(value);
  if (!(value = text("OKBtnTitle")).IsNull()) iDialog->SetOKTitle(value);
  if (!(value = text("PreviewBtnTitle")).IsNull()) iDialog->SetPREVIEWTitle(value);
  if (!(value = text("ApplyBtnTitle")).IsNull()) iDialog->SetAPPLYTitle(value);
  // The toolkit has no finish button and no accelerators: their keys have nothing to go to.
  if (!(value = text("Help")).IsNull()) iDialog->SetHelp(value);
  if (!(value = text("ShortHelp")).IsNull()) iDialog->SetShortHelp(value);
  if (!(value = text("LongHelp")).IsNull()) iDialog->SetLongHelp(value);
  const CATString icon = CATRscCatalog::BuildResource(iCatalog, "Icon");
  if (!icon.IsNull())
    iDialog->SetIconName(icon, CATRscCatalog::BuildResource(iCatalog, "IconSel"),
                         CATRscCatalog::BuildResource(iCatalog, "IconFocus"));
}
