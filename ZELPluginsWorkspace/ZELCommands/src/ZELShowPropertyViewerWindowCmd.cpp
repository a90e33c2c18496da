#include "ZELShowPropertyViewerWindowCmd.h"

#include "CATAdpOpener.h"
#include "CATAfrCommandFactory.h"
#include "CATCkeObjectAttrReadServices.h"
#include "CATCkePLMNavPublicServices.h"
#include "CATFrmLayout.h"
#include "CATFrmWindow.h"
#include "CATLib.h"
#include "CATOmbLifeCycleRootsBag.h"
#include "ZELDebug.h"
#include "ZELPropertyViewerDialog.h"
#include "ZELUtil.h"

CATAfrImplementCommandFactory(ZELShowPropertyViewerWindowCmd)

namespace {

const char* const kDateFormat = "%m/%d/%Y %H:%M:%S %Z";

}  // namespace

ZELShowPropertyViewerWindowCmd::ZELShowPropertyViewerWindowCmd()
    : CATCommand(nullptr, "ZELShowPropertyViewerWindowCmd") {}

ZELShowPropertyViewerWindowCmd::~ZELShowPropertyViewerWindowCmd() = default;

CATStatusChangeRC ZELShowPropertyViewerWindowCmd::Activate(CATCommand*, CATNotification*) {
  ZEL_DEBUG_SCOPE("ZELShowPropertyViewerWindowCmd::Activate");
  const char* print = CATGetEnv("ZEL_PRINT_CLASSHIRARCHY");
  if (print && CATString(print) == "ON") ZELUtil::PrintTypeHirarchy();

  CATFrmLayout* layout = CATFrmLayout::GetCurrentLayout();
  CATFrmWindow* window = layout ? layout->GetCurrentWindow() : nullptr;
  CATIPLMComponent_var component;
  CATUnicodeString text;
  if (!window) {
    ZEL_FAILURE_POINT();
  } else if (ZELUtil::GetSelectedComponent(component, nullptr, nullptr, 0, nullptr) != S_OK ||
             component == NULL_var) {
    ZEL_FAILURE_POINT();
  } else if (FAILED(GeneratePLMCompAttrDispStrFromNavX(CATBaseUnknown_var(component), text))) {
    ZEL_FAILURE_POINT();
  } else {
    auto* dialog = new ZELPropertyViewerDialog(window, "property viewer");
    dialog->Build();
    dialog->SetText(text);
    dialog->SetVisibility(CATDlgShow);
  }
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}

CATStatusChangeRC ZELShowPropertyViewerWindowCmd::Desactivate(CATCommand* iFrom,
                                                              CATNotification* iNotification) {
  return Activate(iFrom, iNotification);
}

CATStatusChangeRC ZELShowPropertyViewerWindowCmd::Cancel(CATCommand*, CATNotification*) {
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}

int ZELShowPropertyViewerWindowCmd::GeneratePLMCompAttrDispStrFromNavX(const CATBaseUnknown_var& iComponent,
                                                                       CATUnicodeString& oText) {
  ZEL_DEBUG_SCOPE("ZELShowPropertyViewerWindowCmd::GeneratePLMCompAttrDispStrFromNavX");
  CATIPLMComponent_var component(iComponent);
  if (component == NULL_var) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATIAdpPLMIdentificator_var id;
  HRESULT rc = component->GetAdpID(id);
  if (FAILED(rc) || id == NULL_var) {
    ZEL_FAILURE_POINT();
    return FAILED(rc) ? rc : E_FAIL;
  }
  CATOmbLifeCycleRootsBag bag;
  CATAdpOpener opener(bag);
  CATIPLMComponent* opened = nullptr;
  rc = opener.CompleteAndOpen(id, IID_CATIPLMComponent, reinterpret_cast<void**>(&opened));
  if (FAILED(rc) || !opened) {
    // Nothing was opened, so there is nothing to remove either.
    ZEL_FAILURE_POINT();
    return FAILED(rc) ? rc : E_FAIL;
  }
  CATIPLMComponent_var object(opened);
  opened->Release();
  CATListValCATAttributeInfos attributes;
  CATICkeObject_var knowledge(object);
  rc = CATCkePLMNavPublicServices::ListAttributesFromObject(0, knowledge, attributes, 0);
  if (FAILED(rc)) {
    ZEL_FAILURE_POINT();
  } else {
    rc = GeneratePLMCompAttributesDisplayString(object, attributes, oText);
    if (FAILED(rc)) ZEL_FAILURE_POINT();
  }
  const HRESULT removed = bag.RemoveRoot(object);
  if (FAILED(removed)) ZEL_FAILURE_POINT();
  return FAILED(rc) ? rc : removed;
}

HRESULT ZELShowPropertyViewerWindowCmd::GeneratePLMCompAttributesDisplayString(
    const CATIPLMComponent_var& iObject, const CATListValCATAttributeInfos& iAttributes,
    CATUnicodeString& oText) {
  ZEL_DEBUG_SCOPE("ZELShowPropertyViewerWindowCmd::GeneratePLMCompAttributesDisplayString");
  HRESULT rc = E_FAIL;
  CATICkeObject_var object(iObject);
  for (int i = 1; i <= iAttributes.Size(); ++i) {
    const CATAttributeInfos& attribute = iAttributes[i];
    const CATIType_var type = attribute.Type();
    const CATUnicodeString typeName = type != NULL_var ? type->Name() : CATUnicodeString();
    const CATUnicodeString userName = type != NULL_var ? type->UserName() : CATUnicodeString();
    const CATUnicodeString& name = attribute.Name();
    CATUnicodeString value;
    if (typeName == "Date") {
      CATTime time;
      rc = CATCkeObjectAttrReadServices::GetValueAsTime(object, name, time);
      if (SUCCEEDED(rc)) value = time.ConvertToString(kDateFormat);
    } else {
      rc = CATCkeObjectAttrReadServices::ShowAttributeValue(object, name, value);
      if (FAILED(rc)) value = CATUnicodeString();
    }
    if (FAILED(rc)) {
      ZEL_DETAIL("Failed to get ", name.ConvertToUTF8());
      ZEL_FAILURE_POINT();
    }
    oText += CATUnicodeString("\n' ") + name + "'\t<" + userName + "> -> \t'" + value + "'";
  }
  oText += "\n";
  return rc;
}
