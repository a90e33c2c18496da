#ifndef CATAdpPLMComponentInfosIter_h
#define CATAdpPLMComponentInfosIter_h
// Information about a sequence of PLM objects (the objects a query found, or the one object of a unique
// key): for each, its identificator, its type and its identifying attribute set. Each Next call moves on
// to the next object, whichever of the two is called.
#include <vector>

#include "CATAdpPLMAttributeSet.h"
#include "CATIAdpPLMIdentificator.h"

class ExportedByCATPLMServices CATAdpPLMComponentInfosIter {
 public:
  int Size() const { return static_cast<int>(entries_.size()); }
  // E_FAIL and null handlers after the last object.
  HRESULT NextInfos(CATIAdpPLMIdentificator_var& oId);
  HRESULT NextAttributeSet(CATIType_var& oType, CATAdpPLMAttributeSet& oAttributes);
  // Back before the first object.
  void Reset() { next_ = 0; }
  void Append(const CATIAdpPLMIdentificator_var& iId, const CATIType_var& iType,
              const CATAdpPLMAttributeSet& iAttributes);

 private:
  struct Entry {
    CATIAdpPLMIdentificator_var id;
    CATIType_var type;
    CATAdpPLMAttributeSet attributes;
  };
  std::vector<Entry> entries_;
  size_t next_ = 0;
};

#endif
