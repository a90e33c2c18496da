#ifndef CATAdpPublicSecurityServices_h
#define CATAdpPublicSecurityServices_h
// The credentials of the session.
#include "CATPLMServicesExport.h"
#include "CATUnicodeString.h"

class ExportedByCATPLMServices CATAdpPublicSecurityServices {
 public:
  // User, organization, project and role of the session on a repository (empty: the session's own). The
  // user is ZEL_PLM_USER when set and not empty, else the database's. E_FAIL for another repository or
  // when no database can be reached.
  static HRESULT GetSecurityParameters(const CATUnicodeString& iRepository, CATUnicodeString& oUser,
                                       CATUnicodeString& oOrganization, CATUnicodeString& oProject,
                                       CATUnicodeString& oRole);
};

#endif
