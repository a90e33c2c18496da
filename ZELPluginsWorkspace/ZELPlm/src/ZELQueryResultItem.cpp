#include "ZELQueryResultItem.h"

ZELQueryResultItem::ZELQueryResultItem(const CATUnicodeString& name, const CATUnicodeString& type,
                                       const CATUnicodeString& obid)
    : _name(name), _type(type), _obid(obid) {}

void ZELQueryResultItem::AddAttribute(const CATUnicodeString& name, const CATUnicodeString& value) {
  _attributes.push_back(std::make_unique<ZELQueryResultAttribute>(name, value));
}

const ZELQueryResultAttribute* ZELQueryResultItem::GetAttribute(int index) const {
  if (index < 0 || index >= GetAttributeCount()) return nullptr;
  return _attributes[static_cast<size_t>(index)].get();
}

CATUnicodeString ZELQueryResultItem::GetAttributeValue(const CATUnicodeString& name) const {
  for (const auto& attribute : _attributes)
    if (attribute->GetName() == name) return attribute->GetValue();
  return CATUnicodeString();
}
