// libFuzzer target: arbitrary bytes as the reply to "GetMetadata", read as the transport reads a reply (UTF-8
// decoded, then ZELRequestXml::ReadXmlString) and then by the attribute viewer's reader. Besides crashes,
// sanitizer reports and hangs, it checks what the viewer relies on: never more groups or lines than its
// bounds, every line one line whose value starts at column 21 (after a padded label and a tab) or after a
// blank that ends a label of 20 characters or more, and an owner only when the flag says there is one.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ZELAttributesResponseXml.h"

namespace {

void CheckLine(const CATUnicodeString& line) {
  const std::u16string& text = line.GetUTF16();
  if (text.find(u'\n') != std::u16string::npos || text.find(u'\r') != std::u16string::npos) std::abort();
  const int column = ZELAttributesResponseXml::kLabelColumn;
  if (text.size() < static_cast<size_t>(column) + 1) std::abort();
  // A padded label ends in the tab at the column; otherwise the label filled the column and a blank follows.
  if (text[column] != u'\t' && text.find(u' ', column) == std::u16string::npos) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CATUnicodeString text;
  text.BuildFromUTF8(reinterpret_cast<const char*>(data), size);
  ZELAttributesResponseXml reply;
  if (FAILED(reply.ReadXmlString(text))) return 0;
  unsigned char flag = 0;
  CATRawCollint codes;
  CATListValCATUnicodeString texts;
  reply.GetErrorsNLS(flag, codes, texts);

  std::vector<ZELAttributeGroup> groups;
  reply.GetResult(groups);
  if (groups.size() > static_cast<size_t>(ZELAttributesResponseXml::kMaxGroups)) std::abort();
  for (const ZELAttributeGroup& group : groups) {
    if (group.lines.Size() > ZELAttributesResponseXml::kMaxLinesPerGroup) std::abort();
    for (int i = 1; i <= group.lines.Size(); ++i) CheckLine(group.lines[i]);
  }

  CATUnicodeString owner("unset");
  bool hasOwner = true;
  if (SUCCEEDED(reply.GetLocResult(owner, hasOwner)) && !hasOwner && !(owner == "unset") && !owner.IsNull())
    std::abort();
  return 0;
}
