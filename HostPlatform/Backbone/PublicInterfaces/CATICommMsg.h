#ifndef CATICommMsg_h
#define CATICommMsg_h
// The bus's view of a message: its class (the name the receiving side instantiates it by), its
// specifications, and the answer to a received request.
#include "CATBackboneExport.h"
#include "CATBaseUnknown.h"

CATDeclareIID(CATICommMsg);

// Message specifications: a request that expects an answer.
#define CATBBNeedAnswer 8

class ExportedByCATBackbone CATICommMsg : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATICommMsg);
  // The class name under which the receiving bus creates the message (at most 64 characters of
  // [A-Za-z0-9_]).
  virtual HRESULT SetMessageClass(const char* iClassName) = 0;
  // The class name, or an empty text when none was set; owned by the message.
  virtual const char* GetMessageClass() = 0;
  virtual HRESULT SetMessageSpecifications(int iSpecifications) = 0;
  virtual int GetMessageSpecifications() = 0;
  // Answers this received request with iAnswer. E_FAIL when the message was not received as a request that
  // expects an answer, was answered already, or the answer cannot be streamed or delivered.
  virtual HRESULT SendAnswer(CATICommMsg* iAnswer) = 0;
};
CATDeclareHandler(CATICommMsg);

#endif
