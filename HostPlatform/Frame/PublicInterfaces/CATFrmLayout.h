#ifndef CATFrmLayout_h
#define CATFrmLayout_h
// The windows of the application frame, in the order they were opened, and which one is current. The
// layout sends every window's notifications (CATFrmWindow::WINDOW_*) and the UI-active object changes of
// the editors (CATFrmEditor::UIACTIVEOBJECT_CHANGED), so one subscription follows them all.
#include <vector>

#include "CATAfrFoundationExport.h"
#include "CATCommand.h"
#include "CATFrmEditor.h"
#include "CATListVal.h"

class CATApplicationFrame;
class CATFrmWindow;

class ExportedByCATAfrFoundation CATFrmLayout : public CATCommand {
 public:
  explicit CATFrmLayout(CATApplicationFrame* frame);
  ~CATFrmLayout() override;

  // The layout of the application frame, or null when there is no frame.
  static CATFrmLayout* GetCurrentLayout();

  CATFrmWindow* GetCurrentWindow() const { return current_; }
  // The open windows in the order they were opened (1-based list).
  CATListVal<CATFrmWindow*> GetWindowList() const;
  int GetWindowCount() const { return static_cast<int>(windows_.size()); }

  // Opens a new window whose editor edits root (see CATFrmEditor::AddRootComponent), named after the root,
  // and makes it current. E_INVALIDARG for the search kind; E_FAIL when root cannot be edited.
  HRESULT OpenWindow(CATBaseUnknown* root, CATFrmEditorKind kind, CATFrmWindow** oWindow = nullptr);
  // Makes an open window current: the former current window sends WINDOW_DEACTIVATED, then this one
  // WINDOW_ACTIVATED. S_FALSE when it already is current; E_FAIL when it is not open here.
  HRESULT SetCurrentWindow(CATFrmWindow* window);
  // Closes an open window: its editor ends, it sends WINDOW_DELETED and is destroyed at the next turn of
  // the event loop; the most recently active of the other windows becomes current (WINDOW_ACTIVATED).
  HRESULT CloseWindow(CATFrmWindow* window);

 private:
  friend class CATFrmWindow;
  // A window destroyed without being closed (its layout or frame going away).
  void Forget(CATFrmWindow* window);

  CATApplicationFrame* frame_;
  std::vector<CATFrmWindow*> windows_;
  // Windows by activation, the most recent last.
  std::vector<CATFrmWindow*> recent_;
  CATFrmWindow* current_ = nullptr;
  int opened_ = 0;
};

#endif
