#ifndef CATIStreamMsg_h
#define CATIStreamMsg_h
// What a message class implements so the bus can carry it: its body to and from bytes, and its class name.
#include <cstdint>

#include "CATBackboneExport.h"
#include "CATBaseUnknown.h"

CATDeclareIID(CATIStreamMsg);

class ExportedByCATBackbone CATIStreamMsg : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIStreamMsg);
  // The body as bytes; the buffer stays the message's until FreeStreamData.
  virtual HRESULT StreamData(void** oBuffer, uint32_t* oLength) = 0;
  // Fills the message from a body received from the bus.
  virtual HRESULT UnstreamData(void* iBuffer, uint32_t iLength) = 0;
  virtual HRESULT FreeStreamData(void* iBuffer, uint32_t iLength) = 0;
  // Sets the message's class name on its CATICommMsg facet.
  virtual HRESULT SetMessageClass() = 0;
};
CATDeclareHandler(CATIStreamMsg);

#endif
