// Commands that client scripts start to exercise dialogs, boxes and the selection utilities in a running
// session: a dialog with one control of each common kind, and a command that reports what the selection
// utilities see.
#include "CATAfrCommandFactory.h"
#include "CATApplicationFrame.h"
#include "CATCkeObjectAttrReadServices.h"
#include "CATDlgCheckButton.h"
#include "CATDlgCombo.h"
#include "CATDlgEditor.h"
#include "CATDlgFrame.h"
#include "CATDlgNotify.h"
#include "CATDlgPushButton.h"
#include "CATDlgRadioButton.h"
#include "CATICkeObject.h"
#include "ZELUtil.h"

namespace {

// A box under the application document, answered and journalled by the toolkit.
void ShowBox(const char* name, const CATUnicodeString& text) {
  CATApplicationFrame* frame = CATApplicationFrame::GetFrame();
  CATDlgNotify* box =
      new CATDlgNotify(frame ? static_cast<CATCommand*>(frame->GetApplicationDocument()) : nullptr, name,
                       CATDlgNfyInformation | CATDlgNfyOK);
  box->DisplayBlocked(text, "ZEL test");
  box->RequestDelayedDestruction();
}

std::string ExternalId(const CATIPLMComponent_var& component) {
  CATUnicodeString value;
  if (component == NULL_var || FAILED(CATCkeObjectAttrReadServices::ShowAttributeValue(
                                   CATICkeObject_var(component), "PLM_ExternalID", value)))
    return "-";
  return value.ConvertToUTF8();
}

class ZELTestDialog : public CATDlgDialog {
 public:
  explicit ZELTestDialog(CATCommand* parent)
      : CATDlgDialog(parent, "ZELTestDialog", CATDlgGridLayout | CATDlgWndBtnOKCancel) {
    SetTitle("Send to PDM (test)");
    auto* options = new CATDlgFrame(this, "Options");
    force_ = new CATDlgCheckButton(options, "Force");
    all_ = new CATDlgRadioButton(options, "All");
    new CATDlgRadioButton(options, "One");
    all_->SetState(CATDlgCheck);
    name_ = new CATDlgEditor(this, "Name");
    level_ = new CATDlgCombo(this, "Level");
    for (const char* line : {"0", "1", "all"}) level_->SetLine(line);
    level_->SetSelect(2);
    auto* show = new CATDlgPushButton(this, "Show");
    Listen(show, show->GetPushBActivateNotification(), &ZELTestDialog::Show);
    Listen(this, GetDiaOKNotification(), &ZELTestDialog::Ok);
    Listen(this, GetDiaCANCELNotification(), &ZELTestDialog::Dismiss);
    Listen(this, GetWindCloseNotification(), &ZELTestDialog::Dismiss);
  }

 private:
  typedef void (ZELTestDialog::*Method)(CATCommand*, CATNotification*, CATCommandClientData);
  void Listen(CATCommand* sender, CATNotification* notification, Method method) {
    AddAnalyseNotificationCB(sender, notification, static_cast<CATCommandMethod>(method), nullptr);
  }
  CATUnicodeString Summary() const {
    return "name=" + name_->GetText() + " force=" + (force_->GetState() == CATDlgCheck ? "yes" : "no") +
           " scope=" + (all_->GetState() == CATDlgCheck ? "All" : "One") + " level=" + level_->GetText();
  }
  void Show(CATCommand*, CATNotification*, CATCommandClientData) { ShowBox("ZELInformation", Summary()); }
  void Ok(CATCommand*, CATNotification*, CATCommandClientData) {
    ShowBox("ZELSuccess", "Sent: " + Summary());
    Dismiss(nullptr, nullptr, nullptr);
  }
  void Dismiss(CATCommand*, CATNotification*, CATCommandClientData) {
    SetVisibility(CATDlgHide);
    RequestDelayedDestruction();
  }

  CATDlgCheckButton* force_;
  CATDlgRadioButton* all_;
  CATDlgEditor* name_;
  CATDlgCombo* level_;
};

}  // namespace

// Opens the test dialog on the application document and ends; the dialog ends itself.
class ZELTestDialogCmd : public CATCommand {
 public:
  ZELTestDialogCmd() : CATCommand(nullptr, "ZELTestDialogCmd") {}
  CATStatusChangeRC Activate(CATCommand*, CATNotification*) override {
    CATApplicationFrame* frame = CATApplicationFrame::GetFrame();
    if (frame) (new ZELTestDialog(frame->GetApplicationDocument()))->SetVisibility(CATDlgShow);
    RequestDelayedDestruction();
    return CATStatusChangeRCCompleted;
  }
};

// Shows in a box what the selection utilities find, with fall back to the root.
class ZELTestSelectionCmd : public CATCommand {
 public:
  ZELTestSelectionCmd() : CATCommand(nullptr, "ZELTestSelectionCmd") {}
  CATStatusChangeRC Activate(CATCommand*, CATNotification*) override {
    CATIPLMComponent_var component, related;
    CATUnicodeString text;
    CATListValCATUnicodeString names;
    long rc = ZELUtil::GetSelectedComponent(component, &related, &text, 1, &names);
    std::string joined;
    for (const CATUnicodeString& name : names) joined += (joined.empty() ? "" : "|") + name.ConvertToUTF8();
    const std::string result = rc == S_OK ? "S_OK" : FAILED(rc) ? "E_FAIL" : std::to_string(rc);
    ShowBox("ZELInformation", "result=" + result + " component=" + ExternalId(component) + " related=" +
                                  ExternalId(related) + " text=" + text.ConvertToUTF8() + " names=" + joined +
                                  " explorer=" + std::to_string(ZELUtil::IsExplorerWindowActive()));
    RequestDelayedDestruction();
    return CATStatusChangeRCCompleted;
  }
};

CATAfrImplementCommandFactory(ZELTestDialogCmd)
CATAfrImplementCommandFactory(ZELTestSelectionCmd)
