#ifndef CATPathElement_h
#define CATPathElement_h
// A path of objects from a root down to one object (root first, leaf last): how a selection says which
// place of a tree was picked, since one object may appear at several places. The path holds a reference on
// every object; objects are compared by identity, whichever of their interfaces they were given through.
#include <vector>

#include "CATAfrFoundationExport.h"
#include "CATBaseUnknown.h"

CATDeclareIID(CATPathElement);

class ExportedByCATAfrFoundation CATPathElement : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATPathElement);
  CATPathElement() = default;
  // A path of one object; a null root gives an empty path.
  explicit CATPathElement(CATBaseUnknown* root);
  CATPathElement(const CATPathElement& other);
  CATPathElement& operator=(const CATPathElement& other);
  ~CATPathElement() override;
  HRESULT QueryInterface(const IID& iid, void** out) override;

  int GetSize() const { return static_cast<int>(objects_.size()); }
  // The object at a 0-based position (the root at 0), or null outside the path. The path keeps the
  // reference: the pointer is valid while the path holds the object.
  CATBaseUnknown* operator[](int index) const;
  // Adds an object below the leaf (it becomes the leaf) or above the root; null is ignored.
  void AddChildElement(CATBaseUnknown* object);
  void AddFatherElement(CATBaseUnknown* object);

  // Walks the path from the leaf up (NextFatherElement) or from the root down (NextChildElement); each
  // call returns the next object, null after the end. The walk restarts with its Init call.
  void InitToLeafElement();
  CATBaseUnknown* NextFatherElement();
  void InitToTopElement();
  CATBaseUnknown* NextChildElement();

  // Whether both paths hold the same objects in the same order.
  int IsEqual(const CATPathElement& other) const;
  // Position (0-based) of the object in the path, -1 when absent.
  int Locate(CATBaseUnknown* object) const;

 private:
  void Clear();
  std::vector<CATBaseUnknown*> objects_;
  int cursor_ = -1;
};
CATDeclareHandler(CATPathElement);

#endif
