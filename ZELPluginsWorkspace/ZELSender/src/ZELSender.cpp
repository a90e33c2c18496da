// ZELSender command [word ...]: sends the command, with the further words joined by blanks as its additional
// info, to the session's receiver over the backbone bus and waits for the answer. Exit codes: 0 answered,
// 1 usage, 2 empty command, 3 no answer text, 4 bus, declaration, message or answer interface unusable.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "CATBackboneBus.h"
#include "CATICommunicator.h"
#include "CATInstantiateComponent.h"
#include "ZELDebug.h"
#include "ZELIBackboneDataRequest.h"

namespace {

// Bus, declaration or answer interface unusable.
const int kSendUnreachable = 17;

// 0 with *oAnswer set (or left null when none came back), 1 or kSendUnreachable on failure.
int ReceiverSend(bool iAnswerWanted, const char* iCommand, const char* iInfo, char** oAnswer) {
  ZEL_DEBUG_SCOPE("ZELSender::ReceiverSend");
  CATICommunicator_var communicator;
  if (CATICommunicator* connection = CATGetBackboneConnection(CATGetDefaultBus(), 0)) {
    communicator = connection;
    connection->Release();
  }
  if (communicator == NULL_var) {
    zelDebug.SetFailed();
    ZEL_DETAIL("Unable to contact the backbone bus");
    return kSendUnreachable;
  }
  if (FAILED(communicator->Declare("ZELBackboneSender", 0))) {
    zelDebug.SetFailed();
    ZEL_DETAIL("Unable to declare the application on the backbone bus ");
    return kSendUnreachable;
  }

  ZELIBackboneDataRequest* request = nullptr;
  const HRESULT created = CATInstantiateComponent("ZELBackboneMessage", IID_ZELIBackboneDataRequest,
                                                  reinterpret_cast<void**>(&request));
  if (created == E_NOINTERFACE) {
    std::printf("No Interface\n");
    std::fflush(stdout);
  }
  if (FAILED(created) || !request) {
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
    return 0;
  }
  if (iAnswerWanted) message->SetMessageSpecifications(CATBBNeedAnswer);

  int result = 0;
  CATICommMsg* answer = nullptr;
  if (FAILED(communicator->SendRequest("ZELBackboneReceiver", message))) {
    zelDebug.SetFailed();
    ZEL_DETAIL("ZEL: SendRequest not successful");
  } else if (!iAnswerWanted) {
  } else if (FAILED(communicator->GetRequestAnswer(message, &answer, -1)) || !answer) {
    zelDebug.SetFailed();
    ZEL_DETAIL("ZEL: GetRequestAnswer failed");
    int errorId = 0;
    if (SUCCEEDED(communicator->GetLastErrorId(&errorId))) {
      ZEL_DETAIL("ZEL: Backbone Error: ");
      ZEL_DETAIL(CATBackboneErrorText(errorId));
    } else {
      ZEL_DETAIL("ZEL: GetLastErrorId failed");
    }
  } else {
    ZELIBackboneDataRequest* answerRequest = nullptr;
    if (FAILED(
            answer->QueryInterface(IID_ZELIBackboneDataRequest, reinterpret_cast<void**>(&answerRequest))) ||
        !answerRequest) {
      zelDebug.SetFailed();
      ZEL_DETAIL("ZEL: Answer interface not succeeded");
      result = 1;
    } else {
      answerRequest->GetCommand(oAnswer);
      answerRequest->Release();
    }
  }
  if (answer) answer->Release();
  message->Release();
  request->Release();
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  ZEL_DEBUG_SCOPE("ZELSender::main");
  if (argc < 2) {
    std::printf("Usage: SenderApplication message\n");
    std::fflush(stdout);
    return 1;
  }
  std::string info;
  for (int i = 2; i < argc; ++i) {
    if (i > 2) info += ' ';
    info += argv[i];
  }
  const char* command = argv[1];
  if (!*command) {
    zelDebug.SetFailed();
    ZEL_DETAIL("Usage: ZELSender message");
    return 2;
  }

  char* answer = nullptr;
  if (ReceiverSend(true, command, info.c_str(), &answer) != 0) {
    zelDebug.SetFailed();
    ZEL_DETAIL("ZEL: ReceiverSend with answer failed ");
    free(answer);
    return 4;
  }
  if (!answer) {
    zelDebug.SetFailed();
    return 3;
  }
  ZEL_DETAIL("ZEL: ", answer);
  free(answer);
  return 0;
}
