#include "ZELEBackboneReceiver.h"

#include <new>

#include "CATApplication.h"
#include "ZELBackboneReceiver.h"
#include "ZELDebug.h"

HRESULT ZELEBackboneReceiver::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<CATICreateInstance>(this, iid, out);
}

HRESULT ZELEBackboneReceiver::CreateInstance(void** out) {
  ZEL_DEBUG_SCOPE("ZELEBackboneReceiver::CreateInstance");
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  ZELBackboneReceiver* receiver = new (std::nothrow) ZELBackboneReceiver(CATApplication::MainApplication());
  if (!receiver) return E_OUTOFMEMORY;
  *out = static_cast<CATBaseUnknown*>(receiver);
  return S_OK;
}

CATImplementFactory(ZELBackboneReceiver, ZELEBackboneReceiver)
