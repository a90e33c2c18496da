// The textual description of a dialog, and control texts taken from a container's resource catalog.
#include <gtest/gtest.h>

#include "CATDlgCheckButton.h"
#include "CATDlgCombo.h"
#include "CATDlgEditor.h"
#include "CATDlgFrame.h"
#include "CATDlgLabel.h"
#include "CATDlgLock.h"
#include "CATDlgMultiList.h"
#include "CATDlgNotify.h"
#include "CATDlgPushButton.h"
#include "CATDlgRadioButton.h"
#include "CATDlgSeparator.h"
#include "CATDlgToolsOptionsFrame.h"
#include "CATEditorPage.h"
#include "CATMsgCatalog.h"
#include "ZELTestSupport.h"

TEST(DialogDescription, OneLinePerObjectIndentedByNesting) {
  CATDlgDialog login(nullptr, "login",
                     CATDlgGridLayout | CATDlgWndModal | CATDlgWndBtnOKCancel | CATDlgWndBtnApply);
  login.SetTitle("Log \"in\"\nnow");
  login.SetAPPLYSensitivity(CATDlgDisable);
  login.SetVisibility(CATDlgShow);
  auto* frame = new CATDlgFrame(&login, "Frame1");
  frame->SetTitle("Depth");
  (new CATDlgRadioButton(frame, "All"))->SetState(CATDlgCheck);
  auto* user = new CATDlgEditor(frame, "UserName");
  user->SetText("demo\t1");
  auto* password = new CATDlgEditor(frame, "Password", CATDlgEdtPassword);
  password->UserTypeText("s3cret");
  auto* empty = new CATDlgEditor(frame, "Empty", CATDlgEdtPassword);
  auto* depth = new CATDlgEditor(&login, "depth", CATDlgEdtInteger | CATDlgEdtReadOnly);
  depth->SetIntegerRange(0, 9);
  depth->SetIntegerValue(2);
  depth->SetSensitivity(CATDlgDisable);
  auto* combo = new CATDlgCombo(&login, "rules", CATDlgCmbEntry);
  combo->SetLine("A");
  combo->SetLine("B");
  combo->SetSelect(1);
  auto* list = new CATDlgMultiList(&login, "list", CATDlgLstMultisel);
  const CATUnicodeString titles[] = {"Id", "Error"};
  list->SetColumnTitles(2, titles);
  list->SetColumnItem(0, "7");
  list->SetColumnItem(1, "bad", 0);
  list->SetColumnVisibility(1, CATDlgHide);
  const int first[] = {0};
  list->SetSelect(first, 1);
  auto* check = new CATDlgCheckButton(&login, "Force");
  check->SetVisibility(CATDlgHide);
  auto* lock = new CATDlgLock(&login, "lock");
  lock->AddAssociatedDialog(check);
  lock->SetLocked(1);
  new CATDlgSeparator(&login, "Sep", CATDlgCtrVertical);
  (new CATDlgPushButton(&login, "Go"))->SetTitle("Go!");
  new CATDlgLabel(&login, "Label");
  auto* page = new CATEditorPage(&login, "page");
  new CATDlgToolsOptionsFrame(page, "ZELOptions");
  auto* box = new CATDlgNotify(&login, "box", CATDlgNfyWarning | CATDlgNfyOKCancel);
  box->SetText("Sure?");
  user->SetFocus();
  (void)empty;

  const std::string expected =
      "Dialog \"login\" title=\"Log \\\"in\\\"\\nnow\" modal buttons=OK,Cancel,Apply(insensitive) sensitive "
      "visible\n"
      "  Frame \"Frame1\" title=\"Depth\" sensitive visible\n"
      "    RadioButton \"All\" checked sensitive visible\n"
      "    Editor \"UserName\" text=\"demo\\t1\" sensitive visible focused\n"
      "    Editor \"Password\" text=<hidden> password sensitive visible\n"
      "    Editor \"Empty\" text=\"\" password sensitive visible\n"
      "  Editor \"depth\" text=\"2\" integer range=0..9 readonly insensitive visible\n"
      "  Combo \"rules\" lines=[\"A\",\"B\"] selected=1 editable text=\"B\" sensitive visible\n"
      "  MultiList \"list\" columns=[\"Id\",\"Error\"(hidden)] rows=[[\"7\",\"bad\"]] selected=[0] multisel "
      "sensitive "
      "visible\n"
      "  CheckButton \"Force\" unchecked sensitive locked hidden\n"
      "  Lock \"lock\" state=locked associated=[\"Force\"] sensitive visible\n"
      "  Separator \"Sep\" vertical sensitive visible\n"
      "  PushButton \"Go\" title=\"Go!\" sensitive visible\n"
      "  Label \"Label\" sensitive visible\n"
      "  EditorPage \"page\" unmodified sensitive visible\n"
      "    ToolsOptionsFrame \"ZELOptions\" sensitive visible\n"
      "  Notify \"box\" buttons=OK,Cancel text=\"Sure?\" sensitive hidden\n";
  EXPECT_EQ(expected, login.Describe());
  EXPECT_EQ(std::string::npos, login.Describe().find("s3cret"));
  EXPECT_EQ(CATUnicodeString("s3cret"), password->GetText());
  // A subtree describes itself the same way, from its own depth.
  EXPECT_EQ("ToolsOptionsFrame \"ZELOptions\" sensitive visible\n",
            page->FindChild("ZELOptions")->Describe());
}

namespace {

// A window whose texts live in a catalog of its own, deriving missing ones from a shared catalog.
class CatalogDialog : public CATDlgDialog {
 public:
  CatalogDialog() : CATDlgDialog(nullptr, "catalog_dialog", CATDlgWndBtnOKCancel) {}
  const char* GetResourceFilename(int level) override {
    if (level == 0) return "ZELTestOwnDlg";
    if (level == 1) return "ZELTestBaseDlg";
    return CATDlgDialog::GetResourceFilename(level - 2);
  }
};

}  // namespace

TEST(DialogDescription, TextsComeFromTheNearestContainerNamingACatalog) {
  zeltest::TempDir dir("zel-dialog");
  ASSERT_TRUE(zeltest::WriteFile(dir / "ZELTestOwnDlg.CATNls",
                                 "Title = \"Own title\";\n"
                                 "Frame1.UserLabel.Title = \"User:\";\n"
                                 "Frame1.UserLabel.LongHelp = \"The PDM user\";\n"
                                 "Coded.Title = \"from the catalog\";\n"));
  ASSERT_TRUE(zeltest::WriteFile(dir / "ZELTestBaseDlg.CATNls",
                                 "Help = \"Base help\";\n"
                                 "Frame1.UserLabel.Title = \"Shadowed\";\n"
                                 "Frame1.Title = \"Base frame\";\n"));
  zeltest::ScopedEnv catalogPath("CATMsgCatalogPath", dir.Path().c_str());
  CATMsgCatalog::Reset();
  {
    CatalogDialog dialog;
    auto* frame = new CATDlgFrame(&dialog, "Frame1");
    auto* label = new CATDlgLabel(frame, "UserLabel");
    auto* coded = new CATDlgLabel(&dialog, "Coded");
    coded->SetTitle("set by code");
    EXPECT_EQ(CATUnicodeString("User:"), label->GetTitle());
    EXPECT_EQ(CATUnicodeString("The PDM user"), label->GetLongHelp());
    EXPECT_EQ(CATUnicodeString("Base frame"), frame->GetTitle());
    EXPECT_EQ(CATUnicodeString("set by code"), coded->GetTitle());
    // The window's own texts arrive with its first show, without overriding what the code set.
    EXPECT_TRUE(dialog.GetTitle().IsNull());
    dialog.SetHelp("coded help");
    dialog.SetVisibility(CATDlgShow);
    EXPECT_EQ(CATUnicodeString("Own title"), dialog.GetTitle());
    EXPECT_EQ(CATUnicodeString("coded help"), dialog.GetHelp());
    // A window of its own inside takes nothing from the outer catalog.
    CATDlgDialog inner(&dialog, "Frame1");
    EXPECT_TRUE((new CATDlgLabel(&inner, "UserLabel"))->GetTitle().IsNull());
  }
  CATMsgCatalog::Reset();
}
