#ifndef CATPLMComponentInterfacesServices_h
#define CATPLMComponentInterfacesServices_h
// PLM services that need the application frame's editors.
#include "CATAfrFoundationExport.h"
#include "CATDataType.h"
#include "CATListPtrCATIPLMComponent.h"

class CATFrmEditor;

class ExportedByCATAfrFoundation CATPLMComponentInterfacesServices {
 public:
  // Appends the root components the editor edits, in order, each with one reference for the caller to
  // release: references for a 3D window's editor, root occurrences (which are components as well) for a
  // navigation or search editor. A closed editor edits none. E_FAIL for a null editor.
  static HRESULT GetEditedRootPLMComponents(CATFrmEditor* iEditor, CATListPtrCATIPLMComponent& oRoots);
};

#endif
