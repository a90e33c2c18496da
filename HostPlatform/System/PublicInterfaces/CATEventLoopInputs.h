#ifndef CATEventLoopInputs_h
#define CATEventLoopInputs_h
// Inputs of the event loop: descriptors whose readiness the application's loop waits for beside its
// time-outs (the backbone bus registers its sockets here). Main thread only.
#include "CATDataType.h"

// Called when fd is readable, closed or in error.
typedef void (*CATInputCallback)(int fd, void* data);

// Registers fd; returns its registration (never 0), or 0 for a negative fd or a null callback.
ExportedByCATSysTS unsigned long CATAddInput(int fd, CATInputCallback callback, void* data);
// Forgets a registration; the descriptor itself stays open.
ExportedByCATSysTS void CATRemoveInput(unsigned long input);
ExportedByCATSysTS int CATCountInputs();
// Waits at most timeoutMs (0: only looks) for registered inputs to become ready and calls their callbacks;
// returns how many ran. A call made from inside a callback returns 0 at once.
ExportedByCATSysTS int CATDispatchInputs(int timeoutMs);

#endif
