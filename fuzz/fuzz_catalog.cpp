// Arbitrary bytes as a message catalog file: the parser must stop cleanly at any fault, and what it kept
// must read back identically once written out again in catalog syntax.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "CATCatalogFile.h"
#include "CATUnicodeString.h"

namespace {

std::string Quote(const std::string& value) {
  std::string out = "\"";
  for (char c : value) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += c;
        break;
    }
  }
  return out + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  CATCatalogParseResult parsed = CATParseCatalogText(text);
  if (!parsed.fault.empty() && parsed.faultLine < 1) abort();

  std::string written;
  for (const auto& [key, value] : parsed.entries) {
    if (key.empty()) abort();
    written += key + " = " + Quote(value) + ";\n";
  }
  CATCatalogParseResult again = CATParseCatalogText(written);
  if (!again.fault.empty() || again.entries != parsed.entries) abort();

  const std::vector<std::string> params = {"first", "/P2", "", "/P10"};
  for (const auto& entry : parsed.entries) CATUnicodeString(CATInsertCatalogParameters(entry.second, params));
  CATInsertCatalogParameters(text, params);
  return 0;
}
