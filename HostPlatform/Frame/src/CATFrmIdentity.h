#ifndef CATFrmIdentity_h
#define CATFrmIdentity_h
// Private to the frame: an object reached through different interfaces is seen at different addresses, so
// the frame keeps and compares objects by the address its CATBaseUnknown answers.
#include "CATBaseUnknown.h"

// The object's identity with one reference for the caller; the object itself when it answers nothing.
inline CATBaseUnknown* CATFrmIdentityOf(CATBaseUnknown* object) {
  if (!object) return nullptr;
  void* identity = nullptr;
  if (SUCCEEDED(object->QueryInterface(IID_CATBaseUnknown, &identity)) && identity)
    return static_cast<CATBaseUnknown*>(identity);
  object->AddRef();
  return object;
}

// Whether both are the same object.
inline bool CATFrmSameObject(CATBaseUnknown* a, CATBaseUnknown* b) {
  if (a == b) return true;
  if (!a || !b) return false;
  CATBaseUnknown* ia = CATFrmIdentityOf(a);
  CATBaseUnknown* ib = CATFrmIdentityOf(b);
  bool same = ia == ib;
  ia->Release();
  ib->Release();
  return same;
}

#endif
