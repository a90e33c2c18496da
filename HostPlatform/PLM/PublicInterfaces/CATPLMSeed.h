#ifndef CATPLMSeed_h
#define CATPLMSeed_h
// The demo PLM database: a bicycle product (root assembly, two wheel assemblies, parts, 3D shapes and a
// drawing), a bookmark, a folder, a part never saved, a part in two versions (A and B), parts in the
// states IN_WORK, FROZEN and RELEASED, and released parts carrying a Date attribute.
#include "CATPLMServicesExport.h"
#include "CATUnicodeString.h"

class ExportedByCATPLMServices CATPLMSeed {
 public:
  // Writes a new demo database to iPath, atomically (a complete file or none). An existing file is
  // replaced only with iReplace; otherwise E_FAIL. Failures set the last error.
  static HRESULT CreateDemoDatabase(const char* iPath, CATBoolean iReplace = FALSE);
};

#endif
