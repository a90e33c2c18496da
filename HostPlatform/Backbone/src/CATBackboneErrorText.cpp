#include "CATBackboneBus.h"

const char* CATBackboneErrorText(int errorId) {
  switch (errorId) {
    case CATBBErrorContactPort:
      return "Unable to contact given port";
    case CATBBErrorDeclarePort:
      return "Unable to declare on given port";
    case CATBBErrorInvalidAnswerPort:
      return "failed because invalid answer port";
    case CATBBErrorWaitForPort:
      return "error during WaitForPort operation";
    case CATBBErrorSendDeclaration:
      return "Try to send a message on a close or invalid socket during the declaration phase, contact to "
             "bus "
             "probably lost";
    case CATBBErrorSendSocket:
      return "Try to send a message on a close or invalid socket, contact to bus probably lost";
    case CATBBErrorReceiveSocket:
      return "Try to receive a message from a close or invalid socket, contact to bus probably lost";
    case CATBBErrorClassNotFound:
      return "message class not found";
    case CATBBErrorStream:
      return "error during stream operation";
    case CATBBErrorUnstream:
      return "error during unstream operation";
    case CATBBErrorNoStreamMsg:
      return "message object does not implement CATIStreamMsg";
    case CATBBErrorNoAnswerNeeded:
      return "message object does not need answers";
    case CATBBErrorInstantiate:
      return "unable to instanciate message object";
    case CATBBErrorReentrance:
      return "ReentranceConditionFound";
    case CATBBErrorTimeout:
      return "TimeoutOccurred";
    case CATBBErrorTargetNotPresent:
      return "TargetApplicationNotPresent";
    default:
      return "Unknown error";
  }
}
