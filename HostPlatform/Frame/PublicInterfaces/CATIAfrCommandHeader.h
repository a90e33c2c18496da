#ifndef CATIAfrCommandHeader_h
#define CATIAfrCommandHeader_h
// The availability of a command header: an unavailable header shows a greyed starter, which cannot start
// its command.
#include "CATAfrFoundationExport.h"
#include "CATBaseUnknown.h"

CATDeclareIID(CATIAfrCommandHeader);

class ExportedByCATAfrFoundation CATIAfrCommandHeader : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIAfrCommandHeader);
  virtual int IsAvailable() const = 0;
  virtual void BecomeAvailable() = 0;
  virtual void BecomeUnavailable() = 0;
};
CATDeclareHandler(CATIAfrCommandHeader);

#endif
