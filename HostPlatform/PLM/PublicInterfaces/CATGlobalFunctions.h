#ifndef CATGlobalFunctions_h
#define CATGlobalFunctions_h
// Process-wide entry points of the PLM platform.
#include "CATITypeDictionary.h"

class ExportedByCATPLMServices CATGlobalFunctions {
 public:
  // The type dictionary, read once from the file named by ZEL_PLM_TYPES, else from
  // resources/plm/PLMTypes.txt of the runtime tree. A null handler when the file cannot be read or is not
  // a valid dictionary; the last error (CATError) then says why.
  static CATITypeDictionary_var GetTypeDictionary();
};

#endif
