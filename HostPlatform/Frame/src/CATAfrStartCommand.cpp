#include "CATAfrStartCommand.h"

#include "CATCommandHeader.h"

HRESULT CATAfrStartCommand(const CATString& iHeaderId) {
  CATCommandHeader* header = GetCmdHdr(iHeaderId);
  return header ? header->StartCommand() : E_FAIL;
}
