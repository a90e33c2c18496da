#ifndef CATApplicationFrame_h
#define CATApplicationFrame_h
// The application frame of the interactive client: its main window, the application document window that
// parents boxes and dialogs, the layout of editor windows, the search workbench's editor, the current
// workbench and workshop, the command headers, and the commands started for the user. At most one exists
// at a time; GetFrame() is null when there is none (a batch program).
#include <memory>
#include <string>
#include <vector>

#include "CATAfrFoundationExport.h"
#include "CATCommand.h"
#include "CATFrmEditor.h"
#include "CATListVal.h"

class CATCmdContainer;
class CATCommandHeader;
class CATDlgDialog;
class CATFrmLayout;

class ExportedByCATAfrFoundation CATApplicationFrame : public CATCommand {
 public:
  // Hangs under parent, or under the main application when parent is null.
  explicit CATApplicationFrame(CATCommand* parent = nullptr, const CATString& name = "ApplicationFrame");
  ~CATApplicationFrame() override;

  static CATApplicationFrame* GetFrame();

  // The workbench and workshop of the current window; without a window, those of the platform's home,
  // where the selection is that of the search ("3DEXPERIENCEPlatform", no workshop). Setting them
  // changes the current window's (or the home's).
  CATString GetCurrentWorkbench() const;
  CATString GetCurrentWorkshop() const;
  void SetCurrentWorkbench(const CATString& name);
  void SetCurrentWorkshop(const CATString& name);

  CATDlgDialog* GetMainWindow() const { return mainWindow_; }
  // The window that boxes and dialogs of commands hang under; it lives as long as the frame.
  CATDlgDialog* GetApplicationDocument() const { return document_; }
  CATFrmLayout* GetLayout() const { return layout_; }
  // The editor holding the search results and their selection.
  CATFrmEditor* GetSearchEditor() const { return searchEditor_; }
  // A new editor owned by the frame (see CATFrmEditor about its life).
  CATFrmEditor* CreateEditor(CATFrmEditorKind kind);

  // Activates a command created for the user. The frame keeps commands that have not ended by themselves
  // (RequestDelayedDestruction) and destroys them when it ends. E_FAIL when activation fails.
  HRESULT StartCommand(CATCommand* command);
  // How many started commands still exist, and which, in the order they were started.
  int CountRunningCommands() const;
  CATListVal<CATCommand*> ListRunningCommands() const;

  // Command headers by identifier, in the order they were added. AddHeader keeps a reference; a second
  // header with an identifier already used is refused (S_FALSE) and the first one stays.
  HRESULT AddHeader(CATCommandHeader* header);
  CATCommandHeader* FindHeader(const CATString& id) const;
  CATListVal<CATCommandHeader*> ListHeaders() const;

  // Add-ins: whenever a workbench or workshop becomes current (start-up at the home, window activation,
  // a workbench or workshop change), the components the dictionaries declare for the matching add-in
  // interfaces (CATIAfrGeneralWksAddin for every workbench, CATIImmNavAddin for the navigation workshop,
  // I3DEXPERIENCEPlatformAddin for the home) are created once per session, and their CreateCommands then
  // CreateToolbars run once. A component that cannot be created or lacks its interface is reported on
  // standard error and skipped. The frame keeps the add-ins and their containers until it ends.
  struct Addin {
    CATString component;
    CATString interfaceName;
    CATBaseUnknown* addin;      // the interface pointer, held by the frame
    CATCmdContainer* toolbars;  // what CreateToolbars returned, or null
  };
  // The add-ins loaded so far, in the order they were loaded.
  const std::vector<Addin>& GetAddins() const { return addins_; }

 private:
  friend class CATFrmLayout;
  // Loads the add-ins of the current workbench and workshop not loaded yet.
  void LoadAddins();
  void LoadAddinsOf(const char* interfaceName);

  struct Started {
    CATCommand* command;
    std::weak_ptr<const int> alive;
  };
  CATDlgDialog* mainWindow_ = nullptr;
  CATDlgDialog* document_ = nullptr;
  CATFrmLayout* layout_ = nullptr;
  CATFrmEditor* searchEditor_ = nullptr;
  CATString homeWorkbench_ = "3DEXPERIENCEPlatform";
  CATString homeWorkshop_;
  std::vector<CATCommandHeader*> headers_;
  std::vector<Started> started_;
  std::vector<Addin> addins_;
  // Interfaces whose dictionary lines were already acted on: failures are reported once per session.
  std::vector<std::string> addinInterfaces_;
  bool loadingAddins_ = false;
  int editors_ = 0;
};

#endif
