#ifndef CATBackboneBus_h
#define CATBackboneBus_h
// The backbone bus of the user's session: Unix domain sockets in a per-user directory that only the user can
// use. The directory is CATBackboneDirectory when set, else $XDG_RUNTIME_DIR/CATBackbone, else
// /tmp/CATBackbone-<uid>; it is created with mode 0700, and one that belongs to another user, is not a
// directory or is open to others is refused. Each declared application listens on its own socket there;
// a request goes to the most recently declared live instance of its target. Incoming requests are served on
// the session's event loop (CATEventLoopInputs.h).
#include <string>
#include <vector>

#include "CATBackboneExport.h"
#include "CATICommunicator.h"

class CATBackboneBus;

// The default bus, or null (with the reason on standard error) when its directory cannot be used.
ExportedByCATBackbone CATBackboneBus* CATGetDefaultBus();
// The process's connection to the bus, with one reference for the caller; null when bus is null or the
// connection cannot be made. Flags: 0.
ExportedByCATBackbone CATICommunicator* CATGetBackboneConnection(CATBackboneBus* bus, int flags);
// The directory the default bus uses (whether usable or not).
ExportedByCATBackbone std::string CATGetBackboneDirectory();
// The applications this process serves on the bus (declared, with a receiver associated), each once.
ExportedByCATBackbone std::vector<std::string> CATBackboneServedApplications();
// The text of an error id of CATICommunicator::GetLastErrorId ("Unknown error" for any other value).
ExportedByCATBackbone const char* CATBackboneErrorText(int errorId);

#endif
