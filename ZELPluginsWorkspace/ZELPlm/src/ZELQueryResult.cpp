#include "ZELQueryResult.h"

#include <set>

ZELQueryResult::ZELQueryResult() = default;

ZELQueryResult::~ZELQueryResult() = default;

void ZELQueryResult::AddItem(std::unique_ptr<ZELQueryResultItem> item) {
  if (item) _items.push_back(std::move(item));
}

const ZELQueryResultItem* ZELQueryResult::GetItem(int index) const {
  if (index < 0 || index >= GetItemCount()) return nullptr;
  return _items[static_cast<size_t>(index)].get();
}

void ZELQueryResult::AddDisplayNode(const CATUnicodeString& nodeName, const CATUnicodeString& displayText) {
  _nodeNames.Append(nodeName);
  _displayTexts.Append(displayText);
}

CATUnicodeString ZELQueryResult::GetDisplayName(const CATUnicodeString& nodeName) const {
  for (int i = 1; i <= _nodeNames.Size() && i <= _displayTexts.Size(); ++i)
    if (_nodeNames[i] == nodeName) return _displayTexts[i];
  return nodeName;
}

CATListValCATUnicodeString ZELQueryResult::GetAttributeNames() const {
  CATListValCATUnicodeString names;
  // A set keeps a large result from costing the square of its attribute count.
  std::set<std::u16string> seen;
  for (const auto& item : _items) {
    for (int i = 0; i < item->GetAttributeCount(); ++i) {
      const CATUnicodeString& name = item->GetAttribute(i)->GetName();
      if (seen.insert(std::u16string(name.GetUTF16())).second) names.Append(name);
    }
  }
  return names;
}
