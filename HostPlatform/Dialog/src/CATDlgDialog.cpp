#include "CATDlgDialog.h"

namespace {

const char* const kButtonNames[CATDlgStdButtonCount] = {"OK",      "Cancel", "Apply", "Close",
                                                        "Preview", "Help",   "Yes",   "No"};
const char* const kButtonNotifications[CATDlgStdButtonCount] = {
    "CATDlgDiaOKNotification",    "CATDlgDiaCANCELNotification",  "CATDlgDiaAPPLYNotification",
    "CATDlgDiaCLOSENotification", "CATDlgDiaPREVIEWNotification", "CATDlgDiaHELPNotification",
    "CATDlgDiaYESNotification",   "CATDlgDiaNONotification"};

bool Valid(CATDlgStdButton button) {
  return button >= CATDlgStdOK && button < CATDlgStdButtonCount;
}

unsigned Bit(CATDlgStdButton button) {
  return 1u << button;
}

}  // namespace

CATDlgDialog::CATDlgDialog(CATCommand* parent, const CATString& name, CATDlgStyle style)
    : CATDialog(parent, name, style) {
  MarkAsWindow();
  SetVisibleFlag(0);
  for (CATULong& sensitivity : buttonSensitivity_) sensitivity = CATDlgEnable;
}

CATDlgDialog::~CATDlgDialog() = default;

const char* CATDlgDialog::GetButtonName(CATDlgStdButton button) {
  return Valid(button) ? kButtonNames[button] : "";
}

void CATDlgDialog::SetVisibility(CATULong visibility) {
  CATDialog::SetVisibility(visibility);
  if (GetVisibility() == CATDlgShow && !textsLoaded_) {
    textsLoaded_ = 1;
    ApplyResourceTexts(this, std::string(), true);
  }
}

unsigned CATDlgDialog::StandardButtons() const {
  CATDlgStyle style = GetStyle();
  if (style & CATDlgWndNoButton) return 0;
  unsigned mask = 0;
  if (style & CATDlgWndBtnOK) mask |= Bit(CATDlgStdOK);
  if (style & CATDlgWndBtnCancel) mask |= Bit(CATDlgStdCancel);
  if (style & CATDlgWndBtnApply) mask |= Bit(CATDlgStdApply);
  if (style & CATDlgWndBtnClose) mask |= Bit(CATDlgStdClose);
  if (style & CATDlgWndBtnPreview) mask |= Bit(CATDlgStdPreview);
  if (style & CATDlgWndBtnHelp) mask |= Bit(CATDlgStdHelp);
  if (style & CATDlgWndBtnYesNo) mask |= Bit(CATDlgStdYes) | Bit(CATDlgStdNo);
  if (style & CATDlgWndBtnOKCancelClose)
    mask |= Bit(CATDlgStdOK) | Bit(CATDlgStdCancel) | Bit(CATDlgStdClose);
  return mask;
}

int CATDlgDialog::HasButton(CATDlgStdButton button) const {
  return Valid(button) && (StandardButtons() & Bit(button)) ? 1 : 0;
}

void CATDlgDialog::SetButtonSensitivity(CATDlgStdButton button, CATULong sensitivity) {
  if (!Valid(button)) return;
  buttonSensitivity_[button] =
      (sensitivity == CATDlgDisable || sensitivity == 0) ? CATDlgDisable : CATDlgEnable;
}

CATULong CATDlgDialog::GetButtonSensitivity(CATDlgStdButton button) const {
  return Valid(button) ? buttonSensitivity_[button] : CATDlgDisable;
}

void CATDlgDialog::SetButtonTitle(CATDlgStdButton button, const CATUnicodeString& title) {
  if (Valid(button)) buttonTitles_[button] = title;
}

const CATUnicodeString& CATDlgDialog::GetButtonTitle(CATDlgStdButton button) const {
  static const CATUnicodeString empty;
  return Valid(button) ? buttonTitles_[button] : empty;
}

CATNotification* CATDlgDialog::GetButtonNotification(CATDlgStdButton button) {
  return Valid(button) ? OwnNotification(kButtonNotifications[button]) : nullptr;
}

CATNotification* CATDlgDialog::GetWindCloseNotification() {
  return OwnNotification("CATDlgWindCloseNotification");
}

CATNotification* CATDlgDialog::GetWindMDICloseNotification() {
  return OwnNotification("CATDlgWindMDICloseNotification");
}

HRESULT CATDlgDialog::UserPressButton(CATDlgStdButton button) {
  if (!HasButton(button) || buttonSensitivity_[button] != CATDlgEnable || !IsUserAccessible()) return E_FAIL;
  PublishNotification(GetButtonNotification(button));
  return S_OK;
}

HRESULT CATDlgDialog::UserCloseWindow() {
  if (GetVisibility() != CATDlgShow) return E_FAIL;
  PublishNotification(GetWindCloseNotification());
  return S_OK;
}

CATDialog* CATDlgDialog::GetFocus() const {
  return focusLife_.expired() ? nullptr : focus_;
}

void CATDlgDialog::SetFocusOn(CATDialog* object) {
  // Only objects of this window can hold its focus.
  if (object && object->GetWindow() != this) return;
  focus_ = object;
  focusLife_ = object ? object->LifeToken() : std::weak_ptr<const int>();
}

void CATDlgDialog::DescribeState(std::string& line) const {
  if (GetStyle() & CATDlgWndModal) line += " modal";
  line += " buttons=";
  unsigned mask = StandardButtons();
  if (!mask) line += "none";
  bool first = true;
  for (int b = 0; b < CATDlgStdButtonCount; ++b) {
    if (!(mask & (1u << b))) continue;
    if (!first) line += ',';
    first = false;
    line += kButtonNames[b];
    if (buttonSensitivity_[b] != CATDlgEnable) line += "(insensitive)";
  }
}
