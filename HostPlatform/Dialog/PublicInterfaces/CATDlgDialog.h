#ifndef CATDlgDialog_h
#define CATDlgDialog_h
// Headless dialog windows: standard buttons chosen by style, their sensitivity and titles, the
// notifications their presses and the window's close request send, and the keyboard focus.
#include "CATDialog.h"

// Window style bits (combined with CATDlgGridLayout).
#define CATDlgWndModal 0x00000200UL
#define CATDlgWndBtnOK 0x00000400UL
#define CATDlgWndBtnCancel 0x00000800UL
#define CATDlgWndBtnOKCancel (CATDlgWndBtnOK | CATDlgWndBtnCancel)
#define CATDlgWndBtnHelp 0x00001000UL
#define CATDlgWndBtnApply 0x00002000UL
#define CATDlgWndNoButton 0x00004000UL
#define CATDlgWndBtnPreview 0x00008000UL
#define CATDlgWndBtnYesNo 0x00010000UL
#define CATDlgWndBtnOKCancelClose 0x00040000UL
#define CATDlgWndBtnClose 0x10000000UL

enum CATDlgStdButton {
  CATDlgStdOK = 0,
  CATDlgStdCancel,
  CATDlgStdApply,
  CATDlgStdClose,
  CATDlgStdPreview,
  CATDlgStdHelp,
  CATDlgStdYes,
  CATDlgStdNo,
  CATDlgStdButtonCount
};

class ExportedByCATDialog CATDlgDialog : public CATDialog {
 public:
  // Windows start hidden.
  CATDlgDialog(CATCommand* parent, const CATString& name, CATDlgStyle style = 0);
  ~CATDlgDialog() override;

  // The first show also takes the window's own texts from its resource catalog.
  void SetVisibility(CATULong visibility) override;

  // Whether the window shows the standard button (CATDlgWndNoButton removes them all).
  int HasButton(CATDlgStdButton button) const;
  // Sensitivity and title of a standard button; stored also for a button the window does not show.
  void SetButtonSensitivity(CATDlgStdButton button, CATULong sensitivity);
  CATULong GetButtonSensitivity(CATDlgStdButton button) const;
  void SetButtonTitle(CATDlgStdButton button, const CATUnicodeString& title);
  const CATUnicodeString& GetButtonTitle(CATDlgStdButton button) const;
  void SetOKSensitivity(CATULong s) { SetButtonSensitivity(CATDlgStdOK, s); }
  void SetCANCELSensitivity(CATULong s) { SetButtonSensitivity(CATDlgStdCancel, s); }
  void SetAPPLYSensitivity(CATULong s) { SetButtonSensitivity(CATDlgStdApply, s); }
  void SetCLOSESensitivity(CATULong s) { SetButtonSensitivity(CATDlgStdClose, s); }
  void SetPREVIEWSensitivity(CATULong s) { SetButtonSensitivity(CATDlgStdPreview, s); }
  void SetHELPSensitivity(CATULong s) { SetButtonSensitivity(CATDlgStdHelp, s); }
  void SetYESSensitivity(CATULong s) { SetButtonSensitivity(CATDlgStdYes, s); }
  void SetNOSensitivity(CATULong s) { SetButtonSensitivity(CATDlgStdNo, s); }
  void SetOKTitle(const CATUnicodeString& t) { SetButtonTitle(CATDlgStdOK, t); }
  void SetCANCELTitle(const CATUnicodeString& t) { SetButtonTitle(CATDlgStdCancel, t); }
  void SetAPPLYTitle(const CATUnicodeString& t) { SetButtonTitle(CATDlgStdApply, t); }
  void SetCLOSETitle(const CATUnicodeString& t) { SetButtonTitle(CATDlgStdClose, t); }
  void SetPREVIEWTitle(const CATUnicodeString& t) { SetButtonTitle(CATDlgStdPreview, t); }
  // The button triggered by the Enter key, as the caller names it (0: none); stored only.
  void SetDefaultButton(CATULong button) { defaultButton_ = button; }
  CATULong GetDefaultButton() const { return defaultButton_; }

  // Sent when the user presses a standard button, or asks the window manager to close the window.
  CATNotification* GetButtonNotification(CATDlgStdButton button);
  CATNotification* GetDiaOKNotification() { return GetButtonNotification(CATDlgStdOK); }
  CATNotification* GetDiaCANCELNotification() { return GetButtonNotification(CATDlgStdCancel); }
  CATNotification* GetDiaAPPLYNotification() { return GetButtonNotification(CATDlgStdApply); }
  CATNotification* GetDiaCLOSENotification() { return GetButtonNotification(CATDlgStdClose); }
  CATNotification* GetDiaPREVIEWNotification() { return GetButtonNotification(CATDlgStdPreview); }
  CATNotification* GetDiaHELPNotification() { return GetButtonNotification(CATDlgStdHelp); }
  CATNotification* GetDiaYESNotification() { return GetButtonNotification(CATDlgStdYes); }
  CATNotification* GetDiaNONotification() { return GetButtonNotification(CATDlgStdNo); }
  CATNotification* GetWindCloseNotification();
  // Closing a document (MDI) window; the close request of a dialog window sends GetWindCloseNotification.
  CATNotification* GetWindMDICloseNotification();

  // The user presses a standard button: refused (E_FAIL) when the window does not show it, the button is
  // insensitive or the window cannot be reached (hidden, insensitive); otherwise sends its notification.
  HRESULT UserPressButton(CATDlgStdButton button);
  // The user closes the window from its frame: refused when hidden; sends GetWindCloseNotification. The
  // window stays until a callback hides or destroys it.
  HRESULT UserCloseWindow();

  // The object holding the keyboard focus in this window, or null.
  CATDialog* GetFocus() const;
  void SetFocusOn(CATDialog* object);

  const char* GetKindName() const override { return "Dialog"; }
  static const char* GetButtonName(CATDlgStdButton button);

 protected:
  // The standard buttons shown, as a mask of (1 << CATDlgStdButton).
  virtual unsigned StandardButtons() const;
  void DescribeState(std::string& line) const override;

 private:
  CATULong buttonSensitivity_[CATDlgStdButtonCount];
  CATUnicodeString buttonTitles_[CATDlgStdButtonCount];
  CATULong defaultButton_ = 0;
  CATDialog* focus_ = nullptr;
  std::weak_ptr<const int> focusLife_;
  int textsLoaded_ = 0;
};

#endif
