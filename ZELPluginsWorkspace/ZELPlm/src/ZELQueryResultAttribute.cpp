#include "ZELQueryResultAttribute.h"

ZELQueryResultAttribute::ZELQueryResultAttribute(const CATUnicodeString& name, const CATUnicodeString& value)
    : _name(name), _value(value) {}
