#include "handlers/RequestText.h"

namespace zelgw {
namespace {

constexpr std::size_t kMaxQuotedBytes = 40;

}  // namespace

std::string QuotedForMessage(std::string_view value) {
  std::string shown;
  std::size_t i = 0;
  while (i < value.size()) {
    unsigned char lead = static_cast<unsigned char>(value[i]);
    std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (i + length > value.size() || shown.size() + length > kMaxQuotedBytes) break;
    bool control =
        lead < 0x20 || lead == 0x7F || (lead == 0xC2 && static_cast<unsigned char>(value[i + 1]) < 0xA0);
    if (control) {
      shown += '?';
    } else {
      shown.append(value.substr(i, length));
    }
    i += length;
  }
  return "\"" + shown + (i < value.size() ? "...\"" : "\"");
}

bool HasControlCharacter(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) return true;
    if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0) return true;
  }
  return false;
}

bool CheckRequiredText(const Request& request, std::string_view attribute, std::string_view what,
                       const TextRefusals& codes, Reply& reply, std::string& value) {
  value = request.Value(attribute);
  if (value.find_first_not_of(' ') == std::string::npos) {
    reply.AddError(codes.missing, "The request names no " + std::string(what) + " (attribute \"" +
                                      std::string(attribute) + "\").");
    return false;
  }
  if (value.size() > kMaxRequestTextBytes) {
    reply.AddError(codes.tooLong, "The " + std::string(what) + " is longer than " +
                                      std::to_string(kMaxRequestTextBytes) + " bytes.");
    return false;
  }
  if (HasControlCharacter(value)) {
    reply.AddError(codes.controlCharacter, "The " + std::string(what) + " " + QuotedForMessage(value) +
                                               " holds line breaks, tabs or other control characters.");
    return false;
  }
  return true;
}

}  // namespace zelgw
