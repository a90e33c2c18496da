#ifndef CATAfrStartCommand_h
#define CATAfrStartCommand_h
// Starts a command by the identifier of its header, as the user would from the action bar; the platform's
// own commands (such as "CATImmRemoveBranchCmd") have headers of their own in every frame.
#include "CATAfrFoundationExport.h"
#include "CATString.h"

// E_FAIL when no header has the identifier or its command cannot be started (see
// CATCommandHeader::StartCommand).
ExportedByCATAfrFoundation HRESULT CATAfrStartCommand(const CATString& iHeaderId);

#endif
