#include "CATCmdContainer.h"

#include <algorithm>

CATCmdContainer::CATCmdContainer(const CATString& name) : name_(name) {}

CATCmdContainer::~CATCmdContainer() {
  for (CATCmdContainer* child : children_) child->Release();
}

HRESULT CATCmdContainer::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<CATCmdContainer>(this, iid, out);
}

HRESULT CATCmdContainer::AddStarter(const CATString& name, const CATString& headerId) {
  if (name.IsNull()) return E_INVALIDARG;
  for (const Starter& starter : starters_)
    if (starter.name == name) return S_FALSE;
  starters_.push_back({name, headerId});
  return S_OK;
}

HRESULT CATCmdContainer::AddChild(CATCmdContainer* child) {
  if (!child || child->Contains(this)) return E_INVALIDARG;
  if (std::find(children_.begin(), children_.end(), child) != children_.end()) return S_FALSE;
  child->AddRef();
  children_.push_back(child);
  return S_OK;
}

std::vector<CATCmdContainer::Starter> CATCmdContainer::ListAllStarters() const {
  std::vector<Starter> all = starters_;
  for (const CATCmdContainer* child : children_) {
    std::vector<Starter> below = child->ListAllStarters();
    all.insert(all.end(), below.begin(), below.end());
  }
  return all;
}

bool CATCmdContainer::Contains(const CATCmdContainer* container) const {
  if (container == this) return true;
  return std::any_of(children_.begin(), children_.end(),
                     [container](const CATCmdContainer* child) { return child->Contains(container); });
}
