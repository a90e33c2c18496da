#include "ZELEBackboneUtil.h"

#include <new>

#include "ZELBackboneUtil.h"
#include "ZELDebug.h"

HRESULT ZELEBackboneUtil::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<CATICreateInstance>(this, iid, out);
}

HRESULT ZELEBackboneUtil::CreateInstance(void** out) {
  ZEL_DEBUG_SCOPE("ZELEBackboneUtil::CreateInstance");
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  ZELBackboneUtil* util = new (std::nothrow) ZELBackboneUtil();
  if (!util) return E_OUTOFMEMORY;
  *out = static_cast<CATBaseUnknown*>(util);
  return S_OK;
}

CATImplementFactory(ZELBackboneUtil, ZELEBackboneUtil)
