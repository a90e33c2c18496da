#include "ZELBackboneUtil.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "CATBackboneBus.h"
#include "CATEventSubscriber.h"
#include "CATInstantiateComponent.h"
#include "ZELBackboneReceiver.h"
#include "ZELDebug.h"
#include "ZELIBackboneDataRequest.h"

ZELBackboneUtil::~ZELBackboneUtil() {
  ReleaseCommunicator();
}

void ZELBackboneUtil::ReleaseCommunicator() {
  if (_communicator) _communicator->Release();
  _communicator = nullptr;
}

HRESULT ZELBackboneUtil::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<ZELIBackboneUtil>(this, iid, out);
}

int ZELBackboneUtil::IsReceiverMissing() {
  ZEL_DEBUG_SCOPE("ZELBackboneUtil::IsReceiverMissing");
  // Released rather than just forgotten, so the connection's reference does not leak.
  ReleaseCommunicator();
  CATBaseUnknown* handler = ZELBackboneReceiver::GetCurrentHandler();
  return !handler || !GetDefaultCallbackManager(handler) ? 1 : 0;
}

int ZELBackboneUtil::CheckReceiver() {
  ZEL_DEBUG_SCOPE("ZELBackboneUtil::CheckReceiver");
  char* answer = nullptr;
  if (SendToReceiver(1, "ZELReceiverCheck", " ", &answer) != 0) {
    zelDebug.SetFailed();
    ZEL_DETAIL("ZEL: Error in ReceiverSend");
    free(answer);
    return 1;
  }
  // The receiver answers every request with its answer text followed by " finished".
  const bool ok =
      answer && (strcmp(answer, "ZELReceiverOK") == 0 || strcmp(answer, "ZELReceiverOK finished") == 0);
  free(answer);
  if (ok) return 0;
  zelDebug.SetFailed();
  ZEL_DETAIL("ZEL: pAnswer is not ZELReceiverOK");
  return 1;
}

int ZELBackboneUtil::SendToReceiver(unsigned char iAnswerWanted, const char* iCommand, const char* iInfo,
                                    char** oAnswer) {
  ZEL_DEBUG_SCOPE("ZELBackboneUtil::SendToReceiver");
  ReleaseCommunicator();
  _communicator = CATGetBackboneConnection(CATGetDefaultBus(), 0);
  if (!_communicator) {
    ZEL_DETAIL("Unable to contact the backbone bus");
  } else if (FAILED(_communicator->Declare("ZELBackboneSender", 0))) {
    ZEL_DETAIL("Unable to declare the application on the backbone bus ");
  }

  ZELIBackboneDataRequest* request = nullptr;
  if (FAILED(CATInstantiateComponent("ZELBackboneMessage", IID_ZELIBackboneDataRequest,
                                     reinterpret_cast<void**>(&request))) ||
      !request) {
    zelDebug.SetFailed();
    ZEL_DETAIL("ZEL: Cannot instantiate ZELBackboneMessage");
    return 1;
  }
  request->SetCommand(iCommand);
  if (iInfo) request->SetAdditionalInfo(iInfo);

  CATICommMsg* message = nullptr;
  if (FAILED(request->QueryInterface(IID_CATICommMsg, reinterpret_cast<void**>(&message))) || !message) {
    zelDebug.SetFailed();
    request->Release();
    return 1;
  }
  int result = 1;
  CATICommMsg* answer = nullptr;
  if (iAnswerWanted) message->SetMessageSpecifications(CATBBNeedAnswer);
  if (!_communicator) {
    ZEL_DETAIL("ZEL: _pICommunicatorChk is NULL ... aborting");
  } else if (FAILED(_communicator->SendRequest("ZELBackboneReceiver", message))) {
    ZEL_DETAIL("ZEL: SendRequest not successful");
  } else if (!iAnswerWanted) {
    result = 0;
  } else if (FAILED(_communicator->GetRequestAnswer(message, &answer, -1)) || !answer) {
    ZEL_DETAIL("ZEL: GetRequestAnswer failed");
    int errorId = 0;
    if (SUCCEEDED(_communicator->GetLastErrorId(&errorId)))
      ZEL_DETAIL("ZEL: Backbone Error : ", std::string(CATBackboneErrorText(errorId)).substr(0, 127));
    else
      ZEL_DETAIL("ZEL: GetLastErrorId failed");
  } else {
    ZELIBackboneDataRequest* answerRequest = nullptr;
    if (FAILED(
            answer->QueryInterface(IID_ZELIBackboneDataRequest, reinterpret_cast<void**>(&answerRequest))) ||
        !answerRequest) {
      ZEL_DETAIL("ZEL: Answer interface not succeeded");
    } else {
      char* text = nullptr;
      answerRequest->GetCommand(&text);
      if (text && oAnswer) {
        *oAnswer = text;
        text = nullptr;
      }
      free(text);
      answerRequest->Release();
      result = 0;
    }
  }
  if (answer) answer->Release();
  if (result != 0) zelDebug.SetFailed();
  message->Release();
  request->Release();
  return result;
}
