#ifndef CATAdpOpenParameters_h
#define CATAdpOpenParameters_h
// How much of the structure below an opened object is loaded with it.
#include "CATPLMServicesExport.h"

enum CATAdpExpandMode {
  CATAdpExpandRootOnly = 1,
  CATAdpExpandFirstLevel = 2,        // the root and what it aggregates directly
  CATAdpExpandProductStructure = 3,  // the whole product structure, without representations
  CATAdpExpandAll = 4                // the whole structure with its representations
};

class ExportedByCATPLMServices CATAdpOpenParameters {
 public:
  explicit CATAdpOpenParameters(CATAdpExpandMode iMode = CATAdpExpandRootOnly) : mode_(iMode) {}
  CATAdpExpandMode GetExpandMode() const { return mode_; }

 private:
  CATAdpExpandMode mode_;
};

#endif
