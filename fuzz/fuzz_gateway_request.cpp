// Arbitrary bytes as a gateway request body, through parsing and dispatch without HTTP. Whatever comes in,
// the reply must be a well-formed "ZEL" document whose verdict agrees with the HTTP status: a root-level
// error below 1000 for every refused request, none for an answered one.
#include <cstdint>
#include <cstdlib>
#include <pugixml.hpp>
#include <string_view>

#include "zelgw/Gateway.h"
#include "zelgw/Store.h"
#include "zelgw/XmlText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static zelgw::Store store(":memory:");
  static zelgw::Gateway gateway(store);
  zelgw::GatewayResult result =
      gateway.HandleRequestBody(std::string_view(reinterpret_cast<const char*>(data), size));

  if (!zelgw::IsValidXmlText(result.body)) std::abort();
  pugi::xml_document reply;
  if (!reply.load_buffer(result.body.data(), result.body.size())) std::abort();
  pugi::xml_node root = reply.document_element();
  if (std::string_view(root.name()) != "ZEL") std::abort();
  pugi::xml_node rootError = root.child("Error");
  if ((result.httpStatus == 200) == static_cast<bool>(rootError)) std::abort();
  if (rootError && (rootError.attribute("code").as_int() != result.errorCode || result.errorCode <= 0 ||
                    result.errorCode >= zelgw::kFirstFunctionErrorCode)) {
    std::abort();
  }
  if (result.httpStatus == 200 &&
      std::string_view(root.child("Response").attribute("id").value()) != result.requestId) {
    std::abort();
  }
  return 0;
}
