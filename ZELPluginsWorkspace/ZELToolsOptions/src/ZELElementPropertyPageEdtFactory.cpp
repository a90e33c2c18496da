#include "ZELElementPropertyPageEdtFactory.h"

#include <cstring>
#include <new>

#include "CATInstantiateComponent.h"
#include "ZELDebug.h"
#include "ZELElementPropertyPageEdt.h"

HRESULT ZELElementPropertyPageEdtFactory::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<ZELIElementPropertyPageEdtFactory>(this, iid, out);
}

HRESULT ZELElementPropertyPageEdtFactory::CreateEditor(const IID& iid, void** oEditor) {
  ZEL_DEBUG_SCOPE("ZELElementPropertyPageEdtFactory::CreateEditor");
  if (!oEditor) return E_INVALIDARG;
  *oEditor = nullptr;
  ZELElementPropertyPageEdt* editor = new (std::nothrow) ZELElementPropertyPageEdt();
  if (!editor) return E_OUTOFMEMORY;
  HRESULT hr = editor->QueryInterface(iid, oEditor);
  editor->Release();
  return hr;
}

int ZELElementPropertyPageEdtFactory::IsAType(const char* iTypeName) const {
  return iTypeName && std::strcmp(iTypeName, "ZELElementPropertyPageEdt") == 0;
}

namespace {

CATBaseUnknown* CreatePageEditor() {
  ZELElementPropertyPageEdtFactory* factory = new (std::nothrow) ZELElementPropertyPageEdtFactory();
  if (!factory) return nullptr;
  void* editor = nullptr;
  HRESULT hr = factory->CreateEditor(IID_CATBaseUnknown, &editor);
  factory->Release();
  return SUCCEEDED(hr) ? static_cast<CATBaseUnknown*>(editor) : nullptr;
}

const bool kRegistered = (CATRegisterComponent("ZELElementPropertyPageEdt", &CreatePageEditor), true);

}  // namespace
