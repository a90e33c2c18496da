// Request bodies in, reply documents out: parsing, dispatch to the function's handler and the reply, without
// any HTTP, so the server, the tests and the fuzzer drive the same path.
#pragma once

#include <string>
#include <string_view>

#include "zelgw/Protocol.h"
#include "zelgw/Store.h"

namespace zelgw {

struct GatewayResult {
  int httpStatus = 200;
  std::string body;      // the reply document
  std::string function;  // as far as the request could be read, for the log
  std::string requestId;
  int errorCode = 0;   // the first error of the reply; 0 when the function ran without refusal
  std::string detail;  // why an internal error happened; for the log only, never sent
};

class Gateway {
 public:
  explicit Gateway(Store& store, std::size_t maxBodyBytes = kDefaultMaxBodyBytes);

  GatewayResult HandleRequestBody(std::string body) const;
  GatewayResult HandleRequestBody(std::string_view body) const {
    return HandleRequestBody(std::string(body));
  }
  GatewayResult HandleRequestBody(const char* body) const { return HandleRequestBody(std::string(body)); }

  std::size_t MaxBodyBytes() const { return maxBodyBytes_; }

 private:
  Store& store_;
  std::size_t maxBodyBytes_;
};

}  // namespace zelgw
