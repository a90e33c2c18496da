#include "CATSearchPath.h"

#include <sstream>

std::vector<std::string> CATSplitSearchPath(const char* value) {
  std::vector<std::string> parts;
  if (!value) return parts;
  std::stringstream in(value);
  std::string part;
  while (std::getline(in, part, ':'))
    if (!part.empty()) parts.push_back(part);
  return parts;
}
