#include "CATFrmEditor.h"

#include "CATApplicationFrame.h"
#include "CATFrmIdentity.h"
#include "CATFrmLayout.h"
#include "CATFrmWindow.h"
#include "CATNotification.h"
#include "CATPLMNavServices.h"

namespace {

// The identity of an object with one reference held by the handler.
CATBaseUnknown_var Identity(CATBaseUnknown* object) {
  CATBaseUnknown* identity = CATFrmIdentityOf(object);
  CATBaseUnknown_var held(identity);
  if (identity) identity->Release();
  return held;
}

// The top node above an occurrence (itself at a root).
CATIPLMNavOccurrence_var TopOf(CATIPLMNavOccurrence* occurrence) {
  CATIPLMNavOccurrence_var node(occurrence);
  for (CATIPLMNavOccurrence_var father; node != NULL_var && SUCCEEDED(node->GetFather(father));)
    node = father;
  return node;
}

}  // namespace

CATFrmEditor::CATFrmEditor(CATCommand* parent, const CATString& name, CATFrmEditorKind kind)
    : CATCommand(parent, name), kind_(kind), cso_(new CATCSO) {}

CATFrmEditor::~CATFrmEditor() {
  cso_->Release();
}

CATFrmEditor* CATFrmEditor::GetCurrentEditor() {
  CATFrmLayout* layout = CATFrmLayout::GetCurrentLayout();
  CATFrmWindow* window = layout ? layout->GetCurrentWindow() : nullptr;
  return window ? window->GetEditor() : nullptr;
}

CATNotification* CATFrmEditor::UIACTIVEOBJECT_CHANGED() {
  // Lives for the whole process: callbacks match on its kind, whoever registers or sends it.
  static CATNotification* notification = new CATNotification("CATFrmEditor::UIACTIVEOBJECT_CHANGED");
  return notification;
}

HRESULT CATFrmEditor::RootOccurrenceOf(const CATIPLMComponent_var& root,
                                       CATIPLMNavOccurrence_var& oOccurrence) const {
  if (kind_ == CATFrmProductEditor) return CATPLMNavServices::GetRootOccurrence(root, oOccurrence);
  oOccurrence = root;
  return oOccurrence != NULL_var ? S_OK : E_FAIL;
}

HRESULT CATFrmEditor::AddRootComponent(CATBaseUnknown* object) {
  if (closed_ || !object) return E_FAIL;
  CATIPLMNavOccurrence_var occurrence;
  if (FAILED(CATPLMNavServices::GetRootOccurrence(object, occurrence)) || occurrence == NULL_var)
    return E_FAIL;
  CATIPLMComponent_var root;
  if (kind_ == CATFrmProductEditor) {
    if (FAILED(occurrence->GetPLMComponent(root))) return E_FAIL;
  } else {
    root = occurrence;
  }
  if (root == NULL_var) return E_FAIL;
  for (const CATIPLMComponent_var& edited : roots_)
    if (CATFrmSameObject(edited, root)) return S_FALSE;
  roots_.push_back(root);
  if (uiActive_.GetSize() == 0) uiActive_.AddChildElement(occurrence);
  return S_OK;
}

void CATFrmEditor::RemoveAllRoots() {
  cso_->Empty();
  removed_.clear();
  uiActive_ = CATPathElement();
  roots_.clear();
}

HRESULT CATFrmEditor::ListRoots(CATListVal<CATIPLMComponent_var>& oRoots) const {
  for (const CATIPLMComponent_var& root : roots_) oRoots.Append(root);
  return S_OK;
}

HRESULT CATFrmEditor::ListRootOccurrences(CATListValCATIPLMNavOccurrence_var& oRoots) const {
  CATListValCATIPLMNavOccurrence_var found;
  for (const CATIPLMComponent_var& root : roots_) {
    CATIPLMNavOccurrence_var occurrence;
    if (FAILED(RootOccurrenceOf(root, occurrence))) return E_FAIL;
    found.Append(occurrence);
  }
  oRoots.Append(found);
  return S_OK;
}

CATIPLMNavOccurrence_var CATFrmEditor::FindTreeRoot(CATIPLMNavOccurrence* occurrence) const {
  if (!occurrence) return CATIPLMNavOccurrence_var();
  CATListValCATIPLMNavOccurrence_var roots;
  if (FAILED(ListRootOccurrences(roots))) return CATIPLMNavOccurrence_var();
  for (const CATIPLMNavOccurrence_var& root : roots)
    if (CATFrmSameObject(root, occurrence)) return root;
  return CATIPLMNavOccurrence_var();
}

HRESULT CATFrmEditor::SetUIActiveObject(const CATPathElement& path) {
  CATIPLMNavOccurrence_var top(path[0]);
  if (closed_ || top == NULL_var || FindTreeRoot(top) == NULL_var) return E_FAIL;
  if (uiActive_.IsEqual(path)) return S_FALSE;
  uiActive_ = path;
  std::weak_ptr<const int> alive = LifeToken();
  PublishNotification(UIACTIVEOBJECT_CHANGED());
  CATFrmLayout* layout = CATFrmLayout::GetCurrentLayout();
  if (layout && !alive.expired()) layout->PublishNotification(UIACTIVEOBJECT_CHANGED());
  return S_OK;
}

int CATFrmEditor::IsRemoved(CATIPLMNavOccurrence* occurrence) const {
  CATIPLMNavOccurrence_var node(occurrence);
  while (node != NULL_var) {
    if (IsRemovedItself(node)) return 1;
    CATIPLMNavOccurrence_var father;
    if (FAILED(node->GetFather(father))) break;
    node = father;
  }
  return 0;
}

int CATFrmEditor::IsRemovedItself(CATIPLMNavOccurrence* occurrence) const {
  if (removed_.empty() || !occurrence) return 0;
  CATBaseUnknown_var identity = Identity(occurrence);
  for (const CATBaseUnknown_var& removed : removed_)
    if (removed.get() == identity.get()) return 1;
  return 0;
}

HRESULT CATFrmEditor::RemoveBranch(CATIPLMNavOccurrence* occurrence) {
  if (closed_ || !occurrence) return E_FAIL;
  CATIPLMNavOccurrence_var top = TopOf(occurrence);
  if (CATFrmSameObject(top, occurrence) || FindTreeRoot(top) == NULL_var) return E_FAIL;
  if (IsRemoved(occurrence)) return S_FALSE;
  removed_.push_back(Identity(occurrence));
  return S_OK;
}

HRESULT CATFrmEditor::ListChildrenInView(CATIPLMNavOccurrence* occurrence,
                                         CATListValCATIPLMNavOccurrence_var& oChildren) {
  if (!occurrence) return E_FAIL;
  CATListValCATIPLMNavOccurrence_var children;
  if (FAILED(occurrence->ListChildren(children))) return E_FAIL;
  for (const CATIPLMNavOccurrence_var& child : children)
    if (!IsRemoved(child)) oChildren.Append(child);
  return S_OK;
}

void CATFrmEditor::Close() {
  RemoveAllRoots();
  window_ = nullptr;
  closed_ = 1;
}
