#include "ListenerErrorText.h"

#include <cstring>

namespace ListenerErrorText {

std::string System(int error) {
  char buffer[256];
  // The GNU strerror_r returns its text, which need not be the buffer.
  std::string text = strerror_r(error, buffer, sizeof buffer);
  while (!text.empty() &&
         (text.back() == ' ' || text.back() == '\n' || text.back() == '\r' || text.back() == '\t'))
    text.pop_back();
  return text;
}

std::string Result(std::int32_t result) {
  switch (static_cast<std::uint32_t>(result)) {
    case 0x00000000u:
      return "The operation completed successfully.";
    case 0x80004005u:
      return "Unspecified error";
    case 0x80070057u:
      return "The parameter is incorrect.";
    case 0x8007000Eu:
      return "Not enough memory resources are available to complete this operation.";
    case 0x8007139Fu:
      return "The group or resource is not in the correct state to perform the requested operation.";
    case 0x8007000Du:
      return "The data is invalid.";
    case 0x800710F0u:
      return "The message exceeds the maximum size allowed.";
    case 0x800704CAu:
      return "The network connection was gracefully closed.";
    case 0x80072F8Fu:
      return "The WebSocket handshake request is invalid.";
    default:
      return "Unknown error";
  }
}

}  // namespace ListenerErrorText
