#ifndef CATPLMValues_h
#define CATPLMValues_h
// Private to CATPLMServices: text forms of knowledge attribute values.
#include <string>

// The stored form of a value of a type (String, Integer, Real, Boolean, Date); false when the text is no
// value of that type.
bool CATPLMCanonicalValue(const std::string& type, const std::string& text, std::string& canonical);

#endif
