#ifndef CATFrmOccurrenceBuildPath_h
#define CATFrmOccurrenceBuildPath_h
// CATIBuildPath of navigation occurrences, added to them as an extension when the library loads.
#include "CATIBuildPath.h"
#include "CATIPLMNavOccurrence.h"

class CATFrmOccurrenceBuildPath : public CATIBuildPath {
 public:
  explicit CATFrmOccurrenceBuildPath(CATIPLMNavOccurrence* occurrence) : occurrence_(occurrence) {}
  // Its own interface; any other query is the occurrence's.
  HRESULT QueryInterface(const IID& iid, void** out) override;
  HRESULT ExtractPathElement(CATPathElement* iContext, CATPathElement** oPath) override;

 private:
  CATIPLMNavOccurrence_var occurrence_;
};

#endif
