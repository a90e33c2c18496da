#include "CATBaseUnknown.h"

HRESULT CATBaseUnknown::QueryInterface(const IID& iid, void** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (!(iid == IID_CATBaseUnknown || iid == IID_IUnknown)) return E_NOINTERFACE;
  *out = this;
  AddRef();
  return S_OK;
}

ULONG CATBaseUnknown::AddRef() {
  return ++refs_;
}

ULONG CATBaseUnknown::Release() {
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}
