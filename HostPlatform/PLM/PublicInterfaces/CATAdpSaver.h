#ifndef CATAdpSaver_h
#define CATAdpSaver_h
// Saves PLM objects of the session to the database.
#include "CATBaseUnknown.h"
#include "CATIAdpPLMErrorReviewer.h"
#include "CATListVal.h"

typedef CATListVal<CATBaseUnknown_var> CATListValCATBaseUnknown_var;

class ExportedByCATPLMServices CATAdpSaver {
 public:
  // Writes the listed objects (components, identificators or occurrences) in one transaction: their
  // attribute changes, and the objects never saved become stored; a reference takes along the instances it
  // newly aggregates and the never-saved objects they bring in. All or nothing: on failure the
  // database is unchanged, the session keeps the changes, and the last error (CATError::CATGetLastError
  // with the returned code) and the reviewer say why. Refused: an object of another session, a unique key
  // ("PLM_ExternalID" and "majorrevision" of one type) already used by another stored object.
  static HRESULT Save(const CATListValCATBaseUnknown_var& iObjects,
                      CATIAdpPLMErrorReviewer* iReviewer = nullptr);
};

#endif
