#ifndef CATOmbLifeCycleRootsBag_h
#define CATOmbLifeCycleRootsBag_h
// Keeps the objects opened through a CATAdpOpener for as long as they are needed.
#include <vector>

#include "CATBaseUnknown.h"
#include "CATPLMServicesExport.h"

class ExportedByCATPLMServices CATOmbLifeCycleRootsBag {
 public:
  CATOmbLifeCycleRootsBag() = default;
  ~CATOmbLifeCycleRootsBag() = default;
  CATOmbLifeCycleRootsBag(const CATOmbLifeCycleRootsBag&) = delete;
  CATOmbLifeCycleRootsBag& operator=(const CATOmbLifeCycleRootsBag&) = delete;

  // Holds the object once, however often it is added.
  HRESULT AddRoot(CATBaseUnknown* iRoot);
  // Whichever interface of the object is given; E_FAIL when the bag does not hold it.
  HRESULT RemoveRoot(CATBaseUnknown* iRoot);
  void RemoveAll() { roots_.clear(); }
  int Size() const { return static_cast<int>(roots_.size()); }

 private:
  std::vector<CATBaseUnknown_var> roots_;
};

#endif
