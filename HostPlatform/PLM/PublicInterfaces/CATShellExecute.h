#ifndef CATShellExecute_h
#define CATShellExecute_h
// The desktop's document opening (ShellExecuteA): the program named by "CATDocumentOpener", else
// xdg-open, is started without a shell with the document as its one argument. Its output is kept, bounded,
// in a journal of the process, so a session can tell what was opened and how the opener ended.
#include <string>
#include <vector>

#include "CATPLMServicesExport.h"

// Above 32 on success, as the desktop answers; 2 for a missing file, 31 when no opener could be started.
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
