#ifndef ZELQueryResult_h
#define ZELQueryResult_h
// What a PDM query found: the items in reply order (owned) and the display texts the gateway gives for
// attribute (node) names.
#include <memory>
#include <vector>

#include "CATListOfCATUnicodeString.h"
#include "CATUnicodeString.h"
#include "ZELPlmExport.h"
#include "ZELQueryResultItem.h"

class ExportedByZELPlm ZELQueryResult {
 public:
  ZELQueryResult();
  ~ZELQueryResult();
  ZELQueryResult(const ZELQueryResult&) = delete;
  ZELQueryResult& operator=(const ZELQueryResult&) = delete;

  // Takes the item over.
  void AddItem(std::unique_ptr<ZELQueryResultItem> item);
  int GetItemCount() const { return static_cast<int>(_items.size()); }
  // 0-based; null outside the range.
  const ZELQueryResultItem* GetItem(int index) const;

  void AddDisplayNode(const CATUnicodeString& nodeName, const CATUnicodeString& displayText);
  // The display text of the first entry for that node name; the name itself when there is none.
  CATUnicodeString GetDisplayName(const CATUnicodeString& nodeName) const;
  // Every attribute name of every item, in order of first appearance, each once.
  CATListValCATUnicodeString GetAttributeNames() const;

 private:
  std::vector<std::unique_ptr<ZELQueryResultItem>> _items;
  CATListValCATUnicodeString _nodeNames;
  CATListValCATUnicodeString _displayTexts;
};

#endif
