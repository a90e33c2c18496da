#include "CATCSO.h"

CATCSO::~CATCSO() {
  Empty();
}

HRESULT CATCSO::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<CATCSO>(this, iid, out);
}

CATPathElement* CATCSO::AsPath(CATBaseUnknown* element) {
  if (!element) return nullptr;
  CATPathElement* path = nullptr;
  if (FAILED(element->QueryInterface(IID_CATPathElement, reinterpret_cast<void**>(&path))) || !path)
    path = new CATPathElement(element);
  if (path->GetSize() == 0) {
    path->Release();
    return nullptr;
  }
  return path;
}

int CATCSO::Find(const CATPathElement& path) const {
  for (size_t i = 0; i < paths_.size(); ++i)
    if (paths_[i]->IsEqual(path)) return static_cast<int>(i);
  return -1;
}

HRESULT CATCSO::AddElement(CATBaseUnknown* element) {
  CATPathElement* path = AsPath(element);
  if (!path) return E_INVALIDARG;
  if (Find(*path) >= 0) {
    path->Release();
    return S_FALSE;
  }
  paths_.push_back(path);
  return S_OK;
}

HRESULT CATCSO::RemoveElement(CATBaseUnknown* element) {
  CATPathElement* path = AsPath(element);
  if (!path) return E_FAIL;
  int position = Find(*path);
  path->Release();
  if (position < 0) return E_FAIL;
  CATPathElement* removed = paths_[static_cast<size_t>(position)];
  paths_.erase(paths_.begin() + position);
  // A walk in progress goes on with the path that followed the removed one.
  if (cursor_ > static_cast<size_t>(position)) --cursor_;
  removed->Release();
  return S_OK;
}

void CATCSO::Empty() {
  std::vector<CATPathElement*> paths;
  paths.swap(paths_);
  cursor_ = 0;
  for (CATPathElement* path : paths) path->Release();
}

void CATCSO::InitElementList() {
  cursor_ = 0;
}

CATBaseUnknown* CATCSO::NextElement() {
  if (cursor_ >= paths_.size()) return nullptr;
  return paths_[cursor_++];
}
