#ifndef CATPLMSession_h
#define CATPLMSession_h
// The process's connection to its PLM database (an SQLite file). Services connect on first use to the
// configured database: the file given to Connect, else the one named by ZEL_PLM_DATABASE, else
// resources/plm/PLMDemo.db of the runtime tree. A missing file, or one that is not a PLM database, is
// reported as an error (the last error names the file), never created.
#include "CATPLMServicesExport.h"
#include "CATUnicodeString.h"

class ExportedByCATPLMServices CATPLMSession {
 public:
  // Ends the current session and opens the file (null: back to the default database), which stays the
  // configured database even when it cannot be opened.
  static HRESULT Connect(const char* iPath = nullptr);
  // Ends the current session: changes not saved are lost, and its objects answer E_FAIL from then on.
  // The next use opens the configured database again.
  static void Disconnect();
  static CATBoolean IsConnected();
  static CATUnicodeString GetDatabasePath();
  // How many database objects the current session has loaded.
  static int CountLoadedObjects();
};

#endif
