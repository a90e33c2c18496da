#ifndef CATShellExecute_h
#define CATShellExecute_h
// The desktop's document opening (ShellExecuteA): a document (an existing file, or an address with a scheme
// such as "https:") goes to the program named by "CATDocumentOpener", else xdg-open; a program given with
// parameters is started itself, the parameters being its one argument. Either is started without a shell.
// Its output is kept, bounded, in a journal of the process, so a session can tell what was opened and how
// the opener ended.
#include <string>
#include <vector>

#include "CATPLMServicesExport.h"

// Above 32 on success, as the desktop answers; 2 for a missing file or program, 5 for a program that may not
// be run, 31 when no opener could be started. On failure errno holds the reason.
ExportedByCATPLMServices long ShellExecuteA(void* iWindow, const char* iVerb, const char* iFile,
                                            const char* iParameters, const char* iDirectory, int iShow);

struct CATShellOpenRecord {
  std::string program;
  std::string document;
  bool ended = false;
  int exitCode = -1;   // -1: killed or still running
  std::string output;  // standard output and error, at most 64 KiB
};

// Waits at most iTimeoutMs for every opener started so far to end (those still running then are killed),
// and returns the journal, oldest first.
ExportedByCATPLMServices std::vector<CATShellOpenRecord> CATShellCollectOpens(int iTimeoutMs);

#endif
