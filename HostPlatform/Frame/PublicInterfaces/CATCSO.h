#ifndef CATCSO_h
#define CATCSO_h
// The current set of objects of an editor: what the user has selected, as paths (CATPathElement) whose
// leaves are the selected objects, in the order they were selected.
#include <vector>

#include "CATAfrFoundationExport.h"
#include "CATPathElement.h"

CATDeclareIID(CATCSO);

class ExportedByCATAfrFoundation CATCSO : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATCSO);
  CATCSO() = default;
  ~CATCSO() override;
  CATCSO(const CATCSO&) = delete;
  CATCSO& operator=(const CATCSO&) = delete;
  HRESULT QueryInterface(const IID& iid, void** out) override;

  // Adds a path (held, not copied); any other object is added as a path of that object alone. A path
  // equal to one already selected is not added twice (S_FALSE). E_INVALIDARG for null or an empty path.
  HRESULT AddElement(CATBaseUnknown* element);
  // Removes the path equal to the given one (or the one-object path of the given object); E_FAIL when
  // it is not selected.
  HRESULT RemoveElement(CATBaseUnknown* element);
  void Empty();
  int Size() const { return static_cast<int>(paths_.size()); }
  int GetSize() const { return Size(); }
  int IsEmpty() const { return paths_.empty() ? 1 : 0; }

  // Walks the selection: InitElementList, then NextElement until it returns null. The paths returned stay
  // the selection's; they are valid while selected.
  void InitElementList();
  CATBaseUnknown* NextElement();

 private:
  // The element as a path with one reference for the caller; null for null or an empty path.
  static CATPathElement* AsPath(CATBaseUnknown* element);
  int Find(const CATPathElement& path) const;
  std::vector<CATPathElement*> paths_;
  size_t cursor_ = 0;
};

#endif
