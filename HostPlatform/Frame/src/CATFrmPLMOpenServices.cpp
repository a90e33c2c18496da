#include "CATFrmPLMOpenServices.h"

#include "CATApplicationFrame.h"
#include "CATFrmLayout.h"
#include "CATInstantiateComponent.h"

namespace {
struct Registrar {
  Registrar() {
    CATRegisterComponent("CATPLMOpenServices", []() -> CATBaseUnknown* {
      return CATApplicationFrame::GetFrame() ? new CATFrmPLMOpenServices : nullptr;
    });
  }
} registrar;
}  // namespace

HRESULT CATFrmPLMOpenServices::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<CATIPLMOpenServices>(this, iid, out);
}

HRESULT CATFrmPLMOpenServices::OpenInNewWindow(CATIPLMComponent* iComponent) {
  CATFrmLayout* layout = CATFrmLayout::GetCurrentLayout();
  if (!layout || !iComponent) return E_FAIL;
  return layout->OpenWindow(iComponent, CATFrmProductEditor);
}
