#include "zelgw/Protocol.h"

namespace zelgw {

int HttpStatusFor(ProtocolError error) {
  switch (error) {
    case ProtocolError::kNone:
      return 200;
    case ProtocolError::kUnknownFunction:
      // 501 rather than 404: a wrong URL answers 404, so the two mistakes stay apart in a client's log.
      return 501;
    case ProtocolError::kTooLarge:
      return 413;
    case ProtocolError::kMethodNotAllowed:
      return 405;
    case ProtocolError::kInternalError:
      return 500;
    default:
      return 400;
  }
}

}  // namespace zelgw
