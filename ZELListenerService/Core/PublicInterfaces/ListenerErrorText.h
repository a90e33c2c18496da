#ifndef ListenerErrorText_h
#define ListenerErrorText_h
// The texts the log gives next to error codes: the system's text for an error number and the component's
// result codes, trailing white space removed.
#include <cstdint>
#include <string>

namespace ListenerErrorText {

std::string System(int error);
// A WebSocket component result (an HRESULT).
std::string Result(std::int32_t result);

}  // namespace ListenerErrorText

#endif
