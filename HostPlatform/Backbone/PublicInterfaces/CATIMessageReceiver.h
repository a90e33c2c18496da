#ifndef CATIMessageReceiver_h
#define CATIMessageReceiver_h
// A handler of incoming messages of one class for one declared application. The bus calls it on the
// session's event loop; a request that expects an answer is answered through the message's SendAnswer.
#include "CATBackboneExport.h"
#include "CATICommMsg.h"

CATDeclareIID(CATIMessageReceiver);

class ExportedByCATBackbone CATIMessageReceiver : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIMessageReceiver);
  virtual void HandleMessage(CATICommMsg* iMessage) = 0;
};
CATDeclareHandler(CATIMessageReceiver);

#endif
