#include "zelgw/Gateway.h"

#include "handlers/Handlers.h"
#include "zelgw/Reply.h"

namespace zelgw {
namespace {

GatewayResult Refuse(GatewayResult result, ProtocolError error, std::string_view text) {
  result.httpStatus = HttpStatusFor(error);
  result.errorCode = static_cast<int>(error);
  result.body = RootErrorDocument(error, text, result.requestId);
  return result;
}

}  // namespace

Gateway::Gateway(Store& store, std::size_t maxBodyBytes) : store_(store), maxBodyBytes_(maxBodyBytes) {}

GatewayResult Gateway::HandleRequestBody(std::string body) const {
  ParsedRequest parsed = ParseRequest(std::move(body), maxBodyBytes_);
  GatewayResult result;
  result.function = parsed.request.function;
  result.requestId = parsed.request.id;
  if (parsed.fault) return Refuse(std::move(result), parsed.fault->error, parsed.fault->text);

  FunctionHandler handler = FindFunction(parsed.request.function);
  if (!handler) {
    std::string shown = parsed.request.function.substr(0, 80);
    return Refuse(std::move(result), ProtocolError::kUnknownFunction,
                  "The gateway does not know the function \"" + shown + "\".");
  }
  try {
    Reply reply(parsed.request.id);
    handler(parsed.request, store_, reply);
    result.errorCode = reply.FirstErrorCode();
    result.body = reply.Serialize();
  } catch (const std::exception& failure) {
    // The client gets a plain statement; what failed, with SQL and paths, stays in the gateway's log.
    result.detail = failure.what();
    return Refuse(std::move(result), ProtocolError::kInternalError,
                  "The gateway failed while running the function \"" + parsed.request.function +
                      "\"; its log has the details.");
  }
  return result;
}

}  // namespace zelgw
