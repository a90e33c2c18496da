#ifndef CATIBuildPath_h
#define CATIBuildPath_h
// Builds the full path of a tree node, so that code holding only the node can select it. Every navigation
// occurrence answers it while the application frame library is loaded.
#include "CATAfrFoundationExport.h"
#include "CATPathElement.h"

CATDeclareIID(CATIBuildPath);

class ExportedByCATAfrFoundation CATIBuildPath : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIBuildPath);
  // A new path (one reference for the caller) from the top of the node's tree down to the node. When the
  // context path (an editor's UI-active path, for instance) holds the top of the tree below other
  // objects, those objects come first. E_INVALIDARG without an output; E_FAIL when the node is unusable.
  virtual HRESULT ExtractPathElement(CATPathElement* iContext, CATPathElement** oPath) = 0;
};
CATDeclareHandler(CATIBuildPath);

#endif
