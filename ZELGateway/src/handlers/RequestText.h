// Checks shared by the PDM functions on the texts a request names (part numbers, structure names, users):
// each such text ends up in a store query and, when refused, in a one-line message box of the client.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "zelgw/Reply.h"
#include "zelgw/Request.h"

namespace zelgw {

inline constexpr std::size_t kMaxRequestTextBytes = 256;

// A piece of a client's value fit to stand in a one-line message: at most 40 bytes, cut on a character
// boundary, controls shown as '?', in double quotes.
std::string QuotedForMessage(std::string_view value);
// C0 controls, DEL and C1 controls.
bool HasControlCharacter(std::string_view text);

struct TextRefusals {
  int missing;  // absent or only blanks
  int tooLong;  // over kMaxRequestTextBytes
  int controlCharacter;
};

// The value of a required text attribute; refused (one error, the first fault) when it is missing, blank,
// too long or holds a control character. `what` names it for the user.
bool CheckRequiredText(const Request& request, std::string_view attribute, std::string_view what,
                       const TextRefusals& codes, Reply& reply, std::string& value);

}  // namespace zelgw
