#include "ZELBackboneReceiver.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "CATAdpOpenParameters.h"
#include "CATAdpOpener.h"
#include "CATAdpPLMComponentInfosIter.h"
#include "CATAdpPLMErrorReviewerFactory.h"
#include "CATAdpPLMExtendedQueryServices.h"
#include "CATAdpPLMQueryAttributeSet.h"
#include "CATAdpPLMQueryFilter.h"
#include "CATBackboneBus.h"
#include "CATCkePLMNavPublicServices.h"
#include "CATGlobalFunctions.h"
#include "CATIPLMComponent.h"
#include "CATInstantiateComponent.h"
#include "CATOmbLifeCycleRootsBag.h"
#include "CATPLMOpenServicesFactory.h"
#include "ZELBackboneMsgHandler.h"
#include "ZELBackboneMsgNotification.h"
#include "ZELBackboneOpenParameter.h"
#include "ZELDebug.h"
#include "ZELIBackboneDataRequest.h"

namespace {

const char* const kApplication = "ZELBackboneReceiver";
const char* const kMessageClass = "ZELBackboneMessage";

}  // namespace

CATBaseUnknown* ZELBackboneReceiver::s_pCurrentHandler = nullptr;

ZELBackboneReceiver::ZELBackboneReceiver(CATEventSubscriber* iSubscriber) : _subscriber(iSubscriber) {}

ZELBackboneReceiver::~ZELBackboneReceiver() {
  ZEL_DEBUG_SCOPE("ZELBackboneReceiver::~ZELBackboneReceiver");
  if (_publisher) {
    RemoveSubscriberCallbacks(_subscriber, _publisher);
    _publisher->Release();
    _publisher = nullptr;
  }
  if (_communicator) {
    if (_handlerReceiver) _communicator->DissociateReceiver(kApplication, kMessageClass, _handlerReceiver);
    _communicator->Release();
    _communicator = nullptr;
  }
  if (_handlerReceiver) {
    _handlerReceiver->Release();
    _handlerReceiver = nullptr;
  }
  s_pCurrentHandler = nullptr;
}

HRESULT ZELBackboneReceiver::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<ZELIBackboneReceiverInt>(this, iid, out);
}

HRESULT ZELBackboneReceiver::Create() {
  ZEL_DEBUG_SCOPE("ZELBackboneReceiver::Create");
  // A repeated Create would declare and associate a second time and leak the first handler.
  if (_publisher) return S_OK;

  HRESULT rc = S_OK;
  if (!_communicator) _communicator = CATGetBackboneConnection(CATGetDefaultBus(), 0);
  if (!_communicator) {
    ZEL_DETAIL("ZEL: Unable to contact the backbone bus");
    rc = E_FAIL;
  }
  if (SUCCEEDED(rc)) {
    rc = _communicator->Declare(kApplication, 0);
    if (FAILED(rc)) ZEL_DETAIL("ZEL: Unable to declare on the backbone bus ");
  }
  if (SUCCEEDED(rc) && !_handlerReceiver) {
    ZELBackboneMsgHandler* handler = new ZELBackboneMsgHandler();
    handler->QueryInterface(IID_CATIMessageReceiver, reinterpret_cast<void**>(&_handlerReceiver));
    handler->Release();
  }
  if (SUCCEEDED(rc) && _handlerReceiver) {
    rc = _communicator->AssociateReceiver(kApplication, kMessageClass, _handlerReceiver);
    if (FAILED(rc)) ZEL_DETAIL("ZEL: Unable to associate Handler to the backbone bus");
  }
  if (FAILED(rc)) {
    zelDebug.SetFailed();
    ZEL_DETAIL("ZEL: ZELBackboneReceiver::Create (Backbone Init failed)");
    return rc;
  }
  if (!_handlerReceiver) return E_FAIL;

  HRESULT queryRc =
      _handlerReceiver->QueryInterface(IID_CATBaseUnknown, reinterpret_cast<void**>(&_publisher));
  if (FAILED(queryRc) || !_publisher) {
    zelDebug.SetFailed();
    ZEL_DETAIL("ZEL: ZELBackboneReceiver::Create (AddCallback failed)");
    return FAILED(queryRc) ? queryRc : E_FAIL;
  }
  // Without the callback the receiver would take requests and never run or answer them.
  if (!AddCallback(_subscriber, _publisher, "ZELBackboneMsgNotification", &ZELBackboneReceiver::OnCommand,
                   nullptr)) {
    zelDebug.SetFailed();
    ZEL_DETAIL("ZEL: ZELBackboneReceiver::Create (AddCallback failed)");
    _publisher->Release();
    _publisher = nullptr;
    return E_FAIL;
  }
  s_pCurrentHandler = _publisher;
  return rc;
}

void ZELBackboneReceiver::OnCommand(CATEventSubscriber*, CATBaseUnknown*, CATNotification* iNotification,
                                    CATSubscriberData, CATCallback) {
  ZEL_DEBUG_SCOPE("ZELBackboneReceiver::OnCommand");
  ZELBackboneMsgNotification* notification = dynamic_cast<ZELBackboneMsgNotification*>(iNotification);
  if (!notification) return;

  std::vector<char> command(static_cast<size_t>(notification->GetCommandLength()), '\0');
  notification->GetCommand(command.data(), static_cast<int>(command.size()));
  std::vector<char> info(static_cast<size_t>(notification->GetAdditionalInfoLength()) + 1, '\0');
  notification->GetAdditionalInfo(info.data(), static_cast<int>(info.size()));

  ZEL_DETAIL("ZEL: Received Command: [", command.data(), "] with additional info [", info.data(), "]");
  if (strcmp(command.data(), "ZEL_OPEN") == 0) RunOpen(info.data());

  CATICommMsg* message = notification->GetMessage();
  if (message && message->GetMessageSpecifications() == CATBBNeedAnswer) SendAnswer(message, command.data());
}

void ZELBackboneReceiver::RunOpen(const char* iInfo) {
  ZEL_DEBUG_SCOPE("ZELBackboneReceiver::RunOpen");
  const CATUnicodeString parameter = ZELBackboneOpenParameter::DecodeHex(iInfo);
  CATUnicodeString type, identifier, revision;
  int first = -1, second = -1;
  if (!ZELBackboneOpenParameter::Split(parameter, type, identifier, revision, first, second)) {
    zelDebug.SetFailed();
    return;
  }
  ZEL_DETAIL("ZEL: delims: [", "@@", "][", first, "][", second, "]");
  ZEL_DETAIL("ZEL: Parameter for ZEL_OPEN: [", type.ConvertToUTF8(), "][", identifier.ConvertToUTF8(), "][",
             revision.ConvertToUTF8(), "]");
  if (FAILED(OpenInWindow(type, identifier, ZELBackboneOpenParameter::MajorRevision(revision))))
    zelDebug.SetFailed();
}

void ZELBackboneReceiver::SendAnswer(CATICommMsg* iMessage, const char* iCommand) {
  ZEL_DEBUG_SCOPE("ZELBackboneReceiver::SendAnswer");
  ZELIBackboneDataRequest* answer = nullptr;
  if (FAILED(CATInstantiateComponent(kMessageClass, IID_ZELIBackboneDataRequest,
                                     reinterpret_cast<void**>(&answer))) ||
      !answer) {
    zelDebug.SetFailed();
    ZEL_DETAIL("ZEL: Problem in the component Creation");
    return;
  }
  std::string text = strcmp(iCommand, "ZELReceiverCheck") == 0 ? "ZELReceiverOK" : iCommand;
  text += " finished";
  answer->SetCommand(text.c_str());
  CATICommMsg* answerMsg = nullptr;
  if (SUCCEEDED(answer->QueryInterface(IID_CATICommMsg, reinterpret_cast<void**>(&answerMsg))) && answerMsg) {
    if (FAILED(iMessage->SendAnswer(answerMsg))) zelDebug.SetFailed();
    answerMsg->Release();
  } else {
    zelDebug.SetFailed();
    ZEL_DETAIL("ZEL: Cannot send answer !!");
  }
  answer->Release();
}

HRESULT ZELBackboneReceiver::OpenInWindow(const CATUnicodeString& iType, const CATUnicodeString& iIdentifier,
                                          const CATUnicodeString& iRevision) {
  ZEL_DEBUG_SCOPE("ZELBackboneReceiver::OpenInWindow");
  ZEL_DETAIL("ZEL: OpenInWindow: [", iType.ConvertToUTF8(), "][", iIdentifier.ConvertToUTF8(), "][",
             iRevision.ConvertToUTF8(), "]");
  CATITypeDictionary_var dictionary = CATGlobalFunctions::GetTypeDictionary();
  if (dictionary == NULL_var) return E_FAIL;
  CATIType_var type;
  if (FAILED(dictionary->FindType(iType, type)) || type == NULL_var) return E_FAIL;

  CATUnicodeString revisionAttribute;
  CATCkePLMNavPublicServices::GetMajorRevisionAttributeName(CATIType_var(), revisionAttribute);
  CATAdpPLMQueryAttributeSet attributes;
  attributes.AddStringAttribute("PLM_ExternalID", iIdentifier, CATAdpPLMQueryEqual);
  attributes.AddStringAttribute(revisionAttribute, iRevision, CATAdpPLMQueryEqual);

  CATIAdpPLMErrorReviewer_var reviewer;
  CATAdpPLMErrorReviewerFactory::CreateErrorReviewer(reviewer);
  CATAdpPLMQueryFilter filter(type, attributes, CATAdpPLMLogicalAnd);
  filter.CaseSensitiveMode(TRUE);
  CATAdpPLMComponentInfosIter results;
  if (FAILED(CATAdpPLMExtendedQueryServices::GetElementsFromQueryFilter(filter, results, reviewer))) {
    const int errors = reviewer == NULL_var ? 0 : reviewer->GetNbErrors();
    for (int i = 1; i <= errors; ++i) {
      CATUnicodeString message;
      reviewer->GetErrorMessage(i, message);
      ZEL_DETAIL("Query Error: ", message.ConvertToUTF8());
    }
    zelDebug.SetFailed();
    return E_FAIL;
  }
  if (results.Size() == 0) {
    ZEL_DETAIL("No Objects found");
    return E_FAIL;
  }
  ZEL_DETAIL("GetElementsFromQueryFilter ", results.Size(), " Objects found");

  CATIPLMOpenServices_var openServices;
  if (FAILED(CATPLMOpenServicesFactory::GetPLMOpenServices(openServices)) || openServices == NULL_var)
    return S_OK;

  CATOmbLifeCycleRootsBag bag;
  CATAdpOpenParameters parameters(CATAdpExpandAll);
  CATAdpOpener opener(bag, parameters);
  for (CATIAdpPLMIdentificator_var id; SUCCEEDED(results.NextInfos(id));) {
    CATIPLMComponent* component = nullptr;
    HRESULT rc =
        opener.CompleteAndOpen(id, IID_CATIPLMComponent, reinterpret_cast<void**>(&component), nullptr);
    id = NULL_var;
    if (FAILED(rc) || !component) {
      ZEL_DETAIL("failed to open component");
      zelDebug.SetFailed();
      return E_FAIL;
    }
    rc = openServices->OpenInNewWindow(component);
    component->Release();
    if (FAILED(rc)) {
      ZEL_DETAIL("failed to open in window");
      zelDebug.SetFailed();
      return E_FAIL;
    }
    bag.RemoveAll();
  }
  return S_OK;
}
