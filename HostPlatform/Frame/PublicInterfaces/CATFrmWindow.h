#ifndef CATFrmWindow_h
#define CATFrmWindow_h
// A window of the layout, showing one editor. Each window keeps the workbench and workshop the user works
// in while it is current. Windows are opened, activated and closed through their layout (CATFrmLayout),
// which sends the window notifications below from the window and from itself.
#include "CATAfrFoundationExport.h"
#include "CATCommand.h"
#include "CATFrmEditor.h"
#include "CATUnicodeString.h"

class CATFrmLayout;
class CATNotification;

class ExportedByCATAfrFoundation CATFrmWindow : public CATCommand {
 public:
  // The window shows the editor from now on (the layout creates windows; see CATFrmLayout::OpenWindow).
  CATFrmWindow(CATFrmLayout* layout, const CATString& name, CATFrmEditor* editor);
  ~CATFrmWindow() override;

  // Kinds of the notifications; the objects live for the whole process.
  static CATNotification* WINDOW_ACTIVATED();
  static CATNotification* WINDOW_DEACTIVATED();
  static CATNotification* WINDOW_DELETED();
  static CATNotification* WINDOW_RESTORED();

  // Null once the window is closed.
  CATFrmEditor* GetEditor() const { return editor_; }
  // The title: the name shown for the first root the window was opened on.
  const CATUnicodeString& GetBaseName() const { return baseName_; }
  void SetBaseName(const CATUnicodeString& name) { baseName_ = name; }

  const CATString& GetWorkbench() const { return workbench_; }
  void SetWorkbench(const CATString& name) { workbench_ = name; }
  const CATString& GetWorkshop() const { return workshop_; }
  void SetWorkshop(const CATString& name) { workshop_ = name; }

  int IsMinimized() const { return minimized_; }
  void Minimize() { minimized_ = 1; }
  // Restores a minimized window and sends WINDOW_RESTORED; S_FALSE (nothing sent) when it was not minimized.
  HRESULT Restore();

 private:
  friend class CATFrmLayout;
  // Sends a notification from the window, then from its layout (when both still exist).
  void Notify(CATNotification* notification);
  void Detach();

  CATFrmLayout* layout_;
  CATFrmEditor* editor_;
  CATUnicodeString baseName_;
  CATString workbench_, workshop_;
  int minimized_ = 0;
};

#endif
