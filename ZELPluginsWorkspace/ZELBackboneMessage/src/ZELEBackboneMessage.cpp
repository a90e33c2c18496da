#include "ZELEBackboneMessage.h"

#include <new>

#include "ZELBackboneMessage.h"

HRESULT ZELEBackboneMessage::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<CATICreateInstance>(this, iid, out);
}

HRESULT ZELEBackboneMessage::CreateInstance(void** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  ZELBackboneMessage* message = new (std::nothrow) ZELBackboneMessage();
  if (!message) return E_OUTOFMEMORY;
  *out = static_cast<CATBaseUnknown*>(message);
  return S_OK;
}

CATImplementFactory(ZELBackboneMessage, ZELEBackboneMessage)
