#ifndef CATAdpOpener_h
#define CATAdpOpener_h
// Opens identified PLM objects into the session and keeps them in a roots bag.
#include "CATAdpOpenParameters.h"
#include "CATIAdpPLMErrorReviewer.h"
#include "CATIAdpPLMIdentificator.h"
#include "CATOmbLifeCycleRootsBag.h"

class ExportedByCATPLMServices CATAdpOpener {
 public:
  explicit CATAdpOpener(CATOmbLifeCycleRootsBag& iBag,
                        const CATAdpOpenParameters& iParameters = CATAdpOpenParameters());

  // Loads the object (and the structure the parameters ask for), adds it to the bag and returns it
  // queried for iIID with one reference for the caller. On failure *oObject is null and the last error
  // (and the reviewer) says why; an object without that interface gives E_NOINTERFACE.
  HRESULT CompleteAndOpen(CATIAdpPLMIdentificator* iId, const IID& iIID, void** oObject,
                          CATIAdpPLMErrorReviewer* iReviewer = nullptr);

 private:
  CATOmbLifeCycleRootsBag& bag_;
  CATAdpOpenParameters parameters_;
};

#endif
