#ifndef ZELQueryResultItem_h
#define ZELQueryResultItem_h
// A PDM item a query found: name, type, object identifier and its attributes in reply order (owned).
#include <memory>
#include <vector>

#include "CATUnicodeString.h"
#include "ZELPlmExport.h"
#include "ZELQueryResultAttribute.h"

class ExportedByZELPlm ZELQueryResultItem {
 public:
  ZELQueryResultItem(const CATUnicodeString& name, const CATUnicodeString& type,
                     const CATUnicodeString& obid);
  ZELQueryResultItem(const ZELQueryResultItem&) = delete;
  ZELQueryResultItem& operator=(const ZELQueryResultItem&) = delete;

  const CATUnicodeString& GetName() const { return _name; }
  const CATUnicodeString& GetType() const { return _type; }
  const CATUnicodeString& GetObid() const { return _obid; }

  void AddAttribute(const CATUnicodeString& name, const CATUnicodeString& value);
  int GetAttributeCount() const { return static_cast<int>(_attributes.size()); }
  // 0-based; null outside the range.
  const ZELQueryResultAttribute* GetAttribute(int index) const;
  // The value of the first attribute of that name; empty when there is none.
  CATUnicodeString GetAttributeValue(const CATUnicodeString& name) const;

 private:
  CATUnicodeString _name;
  CATUnicodeString _type;
  CATUnicodeString _obid;
  std::vector<std::unique_ptr<ZELQueryResultAttribute>> _attributes;
};

#endif
