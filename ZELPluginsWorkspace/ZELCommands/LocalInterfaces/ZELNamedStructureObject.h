#ifndef ZELNamedStructureObject_h
#define ZELNamedStructureObject_h
// One entry of a named structure as the PDM sends it: a part number, the instance name under its parent,
// whether a navigator occurrence was matched to it, and its child entries in document order. A node owns
// its children; the tree of one filtering run is freed when that run ends.
#include "CATListOfCATUnicodeString.h"
#include "CATRawCollPV.h"
#include "CATUnicodeString.h"

class ZELNamedStructureObject {
 public:
  ZELNamedStructureObject(const CATUnicodeString& iPartNumber, const CATUnicodeString& iInstanceName);
  // Frees the whole subtree without recursion, so a deep structure cannot exhaust the stack.
  ~ZELNamedStructureObject();
  ZELNamedStructureObject(const ZELNamedStructureObject&) = delete;
  ZELNamedStructureObject& operator=(const ZELNamedStructureObject&) = delete;

  const CATUnicodeString& GetPartNumber() const { return _partNumber; }
  const CATUnicodeString& GetInstanceName() const { return _instanceName; }
  unsigned char IsHandled() const { return _handled; }
  void SetHandled() { _handled = 1; }

  // Takes ownership of the child; a null child is ignored.
  void AddChild(ZELNamedStructureObject* iChild);
  int GetChildCount() const { return _children.Size(); }
  // The i-th child (1-based); null outside 1..GetChildCount().
  ZELNamedStructureObject* GetElement(int i) const;
  // The first child whose part number and instance name both equal the given ones exactly, or null.
  ZELNamedStructureObject* GetChildObject(const CATUnicodeString& iPartNumber,
                                          const CATUnicodeString& iInstanceName) const;
  // Appends "<part number>(<instance name>)" for this node and every node below it that is not handled,
  // depth first in child order.
  void GetUnhandledObjects(CATListValCATUnicodeString& oList) const;

 private:
  CATUnicodeString _partNumber;
  CATUnicodeString _instanceName;
  unsigned char _handled = 0;
  CATRawCollPV _children;
};

#endif
