#ifndef CATFrmEditor_h
#define CATFrmEditor_h
// An editor: the objects one window edits (its roots), the current selection on them, the UI-active
// object, and which branches the user took out of the window's tree view. A product editor (3D window)
// edits root references; a navigation editor (explorer window) and the search editor edit root
// occurrences, which are navigable objects (CATINavigateObject) where references are not.
//
// Editors belong to the application frame and outlive their windows: closing a window empties its
// editor (no roots, no selection), so a command that kept the editor finds nothing instead of freed memory.
#include <vector>

#include "CATAfrFoundationExport.h"
#include "CATCSO.h"
#include "CATCommand.h"
#include "CATIPLMNavOccurrence.h"
#include "CATPathElement.h"

class CATFrmWindow;
class CATNotification;

enum CATFrmEditorKind { CATFrmProductEditor = 0, CATFrmNavigationEditor = 1, CATFrmSearchEditor = 2 };

class ExportedByCATAfrFoundation CATFrmEditor : public CATCommand {
 public:
  CATFrmEditor(CATCommand* parent, const CATString& name, CATFrmEditorKind kind);
  ~CATFrmEditor() override;

  // The editor of the current window of the current layout, or null.
  static CATFrmEditor* GetCurrentEditor();
  // Sent by the editor, and by the current layout, when the UI-active object changes.
  static CATNotification* UIACTIVEOBJECT_CHANGED();

  CATFrmEditorKind GetKind() const { return kind_; }
  // The window showing the editor; null for the search editor and once the window is closed.
  CATFrmWindow* GetWindow() const { return window_; }
  // Never null; the editor keeps it.
  CATCSO* GetCSO() const { return cso_; }

  // Edits one more root: a product editor takes the reference (an occurrence gives the reference it
  // stands for), the others the root occurrence of the object. S_FALSE when already edited; E_FAIL for
  // what cannot be a root (an instance, an object of an ended session) and once the editor is closed.
  HRESULT AddRootComponent(CATBaseUnknown* object);
  // Ends the editing of every root: also empties the selection and the view's removals.
  void RemoveAllRoots();
  int GetRootCount() const { return static_cast<int>(roots_.size()); }
  // The edited roots in the order they were added, each with one reference for the caller.
  HRESULT ListRoots(CATListVal<CATIPLMComponent_var>& oRoots) const;
  // The root occurrence of every edited root, in order: the top nodes of the editor's tree view.
  HRESULT ListRootOccurrences(CATListValCATIPLMNavOccurrence_var& oRoots) const;

  // The path of the UI-active object: the first root's occurrence unless set otherwise.
  const CATPathElement& GetUIActiveObject() const { return uiActive_; }
  // Makes the path UI-active and sends UIACTIVEOBJECT_CHANGED; S_FALSE when it already was. E_FAIL for an
  // empty path or one that does not start at a root occurrence of this editor.
  HRESULT SetUIActiveObject(const CATPathElement& path);

  // Takes a branch out of the tree view (nothing changes in the database). E_FAIL for a root occurrence
  // or an occurrence outside this editor's trees; S_FALSE when the branch is out already.
  HRESULT RemoveBranch(CATIPLMNavOccurrence* occurrence);
  // Whether the occurrence or one of its fathers was taken out of the view.
  int IsRemoved(CATIPLMNavOccurrence* occurrence) const;
  // Whether this very occurrence was taken out, its fathers not looked at: for walks from the roots down.
  int IsRemovedItself(CATIPLMNavOccurrence* occurrence) const;
  // The children of an occurrence that the view still shows, appended in the session's order.
  HRESULT ListChildrenInView(CATIPLMNavOccurrence* occurrence, CATListValCATIPLMNavOccurrence_var& oChildren);
  // The top node of the occurrence's tree when it is a root occurrence of this editor, else null.
  CATIPLMNavOccurrence_var FindTreeRoot(CATIPLMNavOccurrence* occurrence) const;

  // Ends the editor for good (its window closed): roots, selection, removals and UI-active path go.
  void Close();
  int IsClosed() const { return closed_; }

 private:
  friend class CATFrmWindow;
  void SetWindow(CATFrmWindow* window) { window_ = window; }
  HRESULT RootOccurrenceOf(const CATIPLMComponent_var& root, CATIPLMNavOccurrence_var& oOccurrence) const;

  CATFrmEditorKind kind_;
  CATFrmWindow* window_ = nullptr;
  CATCSO* cso_;
  std::vector<CATIPLMComponent_var> roots_;
  std::vector<CATBaseUnknown_var> removed_;
  CATPathElement uiActive_;
  int closed_ = 0;
};

#endif
