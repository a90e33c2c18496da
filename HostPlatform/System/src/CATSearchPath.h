#ifndef CATSearchPath_h
#define CATSearchPath_h
#include <string>
#include <vector>

// The directories of a colon-separated search-path variable's value, empty entries dropped.
std::vector<std::string> CATSplitSearchPath(const char* value);

#endif
