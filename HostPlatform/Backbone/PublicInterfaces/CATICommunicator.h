#ifndef CATICommunicator_h
#define CATICommunicator_h
// A process's connection to the backbone bus. Applications are declared by name; a request is sent to the
// most recently declared live instance of its target application; incoming requests are handed to the
// receiver associated with (application, message class) on the session's event loop.
//
// Addressing: each declaration listens on "<bus directory>/<application>.<declaration time in ns, 20
// digits>.<pid>.sock". A request tries the target's sockets newest first; a socket nobody listens on any
// more (its process was killed) is removed and the next one tried, so the newest live session gets the
// request and a dead one never blocks it. No live instance: TargetApplicationNotPresent (8199). When the
// newest instance is this very connection and an answer is wanted, the request is refused with
// ReentranceConditionFound (8197): the answer could only come from the event loop the wait would hold.
#include "CATBackboneExport.h"
#include "CATICommMsg.h"
#include "CATIMessageReceiver.h"

CATDeclareIID(CATICommunicator);

// Error ids of GetLastErrorId.
enum CATBackboneError {
  CATBBErrorContactPort = 1,
  CATBBErrorDeclarePort = 2,
  CATBBErrorInvalidAnswerPort = 3,
  CATBBErrorWaitForPort = 4,
  CATBBErrorSendDeclaration = 258,
  CATBBErrorSendSocket = 259,
  CATBBErrorReceiveSocket = 260,
  CATBBErrorClassNotFound = 4097,
  CATBBErrorStream = 4098,
  CATBBErrorUnstream = 4099,
  CATBBErrorNoStreamMsg = 8193,
  CATBBErrorNoAnswerNeeded = 8195,
  CATBBErrorInstantiate = 8196,
  CATBBErrorReentrance = 8197,
  CATBBErrorTimeout = 8198,
  CATBBErrorTargetNotPresent = 8199
};

class ExportedByCATBackbone CATICommunicator : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATICommunicator);
  // Declares an application of this process on the bus (1 to 64 characters of [A-Za-z0-9_.-]).
  virtual HRESULT Declare(const char* iApplication, int iFlags) = 0;
  virtual HRESULT AssociateReceiver(const char* iApplication, const char* iMessageClass,
                                    CATIMessageReceiver* iReceiver) = 0;
  virtual HRESULT DissociateReceiver(const char* iApplication, const char* iMessageClass,
                                     CATIMessageReceiver* iReceiver) = 0;
  // Sends a request; when its specifications ask for an answer, the answer is then fetched with
  // GetRequestAnswer.
  virtual HRESULT SendRequest(const char* iTargetApplication, CATICommMsg* iMessage) = 0;
  // Waits for the answer to a request sent with CATBBNeedAnswer. iTimeOut in seconds; -1 waits the bus's
  // default time (CATBackboneTimeout, 120 s unless set). *oAnswer has one reference for the caller.
  virtual HRESULT GetRequestAnswer(CATICommMsg* iRequest, CATICommMsg** oAnswer, int iTimeOut) = 0;
  // The error id of the last failed operation of this connection; E_FAIL when none failed.
  virtual HRESULT GetLastErrorId(int* oErrorId) = 0;
};
CATDeclareHandler(CATICommunicator);

#endif
