#include "ZELPlmDialogResources.h"

#include <string>

#include "ZELDebug.h"
#include "ZELGlobal.h"

void ZELPlmDialogResources::Apply(CATDlgDialog* iDialog, const char* iCatalog) {
  ZEL_DEBUG_SCOPE("ZELPlmDialogResources::Apply");
  if (!iDialog || !iCatalog) {
    ZEL_FAILURE_POINT();
    return;
  }
  ZELGlobal::SetDialogStandardMessages(iDialog, iCatalog);
  const struct {
    CATDlgStdButton button;
    const char* key;
  } kButtonTitles[] = {{CATDlgStdCancel, "CancelBtnTitle"},
                       {CATDlgStdOK, "OKBtnTitle"},
                       {CATDlgStdPreview, "PreviewBtnTitle"},
                       {CATDlgStdApply, "ApplyBtnTitle"}};
  for (const auto& title : kButtonTitles) {
    CATUnicodeString text = ZELGlobal::BuildMessage(iCatalog, title.key, nullptr, 0, CATUnicodeString());
    if (!text.IsNull()) iDialog->SetButtonTitle(title.button, text);
  }
  const std::string resources = std::string("ZEL") + iCatalog;
  CATString icons[3];
  const char* const kIconKeys[] = {"Icon", "IconSel", "IconFocus"};
  for (int i = 0; i < 3; ++i)
    icons[i] = ZELGlobal::BuildResource(resources.c_str(), kIconKeys[i], nullptr, 0, "");
  if (!icons[0].IsNull()) iDialog->SetIconName(icons[0], icons[1], icons[2]);
}
