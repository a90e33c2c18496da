#ifndef ZELPathLeaf_h
#define ZELPathLeaf_h
// The object a selected path ends at, for the commands and utilities that read a selection themselves.
#include "CATBaseUnknown.h"
#include "CATPathElement.h"

// The last object of a selected path; null when the element is no path or an empty one.
inline CATBaseUnknown_var ZELPathLeaf(CATBaseUnknown* element) {
  CATPathElement* path = nullptr;
  if (!element || FAILED(element->QueryInterface(IID_CATPathElement, reinterpret_cast<void**>(&path))) ||
      !path)
    return CATBaseUnknown_var();
  CATBaseUnknown_var leaf((*path)[path->GetSize() - 1]);
  path->Release();
  return leaf;
}

#endif
