#include "CATCmdContainer.h"

#include <algorithm>

#include "CATAfrAccessFactory.h"

CATCmdContainer::CATCmdContainer(const CATString& name) : CATCmdAccess(name) {}

CATCmdContainer::~CATCmdContainer() {
  for (CATCmdAccess* access : accesses_) {
    access->parent_ = nullptr;
    access->Release();
  }
}

HRESULT CATCmdContainer::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<CATCmdContainer, CATCmdAccess>(this, iid, out);
}

HRESULT CATCmdContainer::AddStarter(const CATString& name, const CATString& headerId) {
  if (name.IsNull()) return E_INVALIDARG;
  for (const Starter& starter : GetStarters())
    if (starter.name == name) return S_FALSE;
  CATCmdStarter* starter = new CATCmdStarter(name, headerId);
  HRESULT hr = AddAccess(starter);
  starter->Release();
  return hr;
}

HRESULT CATCmdContainer::AddChild(CATCmdContainer* child) {
  return AddAccess(child);
}

HRESULT CATCmdContainer::AddAccess(CATCmdAccess* access, CATCmdAccess* after) {
  if (!access || access == after) return E_INVALIDARG;
  if (access->parent_ == this) return S_FALSE;
  if (access->parent_) return E_INVALIDARG;
  auto at = accesses_.end();
  if (after) {
    at = std::find(accesses_.begin(), accesses_.end(), after);
    if (at == accesses_.end()) return E_INVALIDARG;
    ++at;
  }
  if (CATCmdStarter* starter = dynamic_cast<CATCmdStarter*>(access)) {
    for (const Starter& existing : GetStarters())
      if (existing.name == starter->GetName()) return E_INVALIDARG;
  } else if (CATCmdContainer* container = dynamic_cast<CATCmdContainer*>(access)) {
    if (container->Contains(this)) return E_INVALIDARG;
  }
  access->AddRef();
  access->parent_ = this;
  accesses_.insert(at, access);
  return S_OK;
}

std::vector<CATCmdContainer::Starter> CATCmdContainer::GetStarters() const {
  std::vector<Starter> starters;
  for (CATCmdAccess* access : accesses_)
    if (const CATCmdStarter* starter = dynamic_cast<const CATCmdStarter*>(access))
      starters.push_back({starter->GetName(), starter->GetCommand()});
  return starters;
}

std::vector<CATCmdContainer*> CATCmdContainer::GetChildren() const {
  std::vector<CATCmdContainer*> children;
  for (CATCmdAccess* access : accesses_)
    if (CATCmdContainer* child = dynamic_cast<CATCmdContainer*>(access)) children.push_back(child);
  return children;
}

std::vector<CATCmdContainer::Starter> CATCmdContainer::ListAllStarters() const {
  std::vector<Starter> all = GetStarters();
  for (const CATCmdContainer* child : GetChildren()) {
    std::vector<Starter> below = child->ListAllStarters();
    all.insert(all.end(), below.begin(), below.end());
  }
  return all;
}

bool CATCmdContainer::Contains(const CATCmdContainer* container) const {
  if (container == this) return true;
  std::vector<CATCmdContainer*> children = GetChildren();
  return std::any_of(children.begin(), children.end(),
                     [container](const CATCmdContainer* child) { return child->Contains(container); });
}

HRESULT CATCmdStarter::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<CATCmdStarter, CATCmdAccess>(this, iid, out);
}

CATCmdAccess* CATAfrAccessFactory::NewAccess(const CATString& kind, const CATString& name) {
  if (name.IsNull()) return nullptr;
  if (kind == "CATCmdContainer") return new CATCmdContainer(name);
  if (kind == "CATCmdStarter") return new CATCmdStarter(name);
  return nullptr;
}

HRESULT SetAccessCommand(CATCmdAccess* access, const CATString& headerId) {
  CATCmdStarter* starter = dynamic_cast<CATCmdStarter*>(access);
  if (!starter) return E_INVALIDARG;
  starter->SetCommand(headerId);
  return S_OK;
}

HRESULT SetAccessChild(CATCmdAccess* parent, CATCmdAccess* child) {
  CATCmdContainer* container = dynamic_cast<CATCmdContainer*>(parent);
  if (!container) return E_INVALIDARG;
  return container->AddAccess(child);
}

HRESULT SetAccessNext(CATCmdAccess* previous, CATCmdAccess* next) {
  if (!previous || !next) return E_INVALIDARG;
  CATCmdContainer* container = previous->GetParent();
  if (!container) return E_FAIL;
  return container->AddAccess(next, previous);
}
