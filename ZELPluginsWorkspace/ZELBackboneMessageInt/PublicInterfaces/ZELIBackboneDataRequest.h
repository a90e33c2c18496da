#ifndef ZELIBackboneDataRequest_h
#define ZELIBackboneDataRequest_h
// The two-text message of the backbone bus: a command text and an additional-info text. The same type
// carries the answer to a request, in its command text. Texts are narrow, zero-terminated byte strings.
#include "CATBaseUnknown.h"
#include "ZELBackboneMessageIntExport.h"

CATDeclareIIDValue(ZELIBackboneDataRequest, 0xB0054928, 0x6AB4, 0x4119, 0x95, 0xF0, 0x9A, 0x86, 0x95, 0xB3,
                   0x55, 0x33);

class ExportedByZELBackboneMessageInt ZELIBackboneDataRequest : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(ZELIBackboneDataRequest);
  static const char* ClassName();

  // *oCommand: a copy of the command text for the caller to free(), or null when none is set. E_FAIL for a
  // null out-pointer.
  virtual HRESULT GetCommand(char** oCommand) = 0;
  // Copies a non-null text; a null text leaves the command unchanged.
  virtual HRESULT SetCommand(const char* iCommand) = 0;
  virtual HRESULT GetAdditionalInfo(char** oInfo) = 0;
  virtual HRESULT SetAdditionalInfo(const char* iInfo) = 0;
};
CATDeclareHandler(ZELIBackboneDataRequest);

#endif
