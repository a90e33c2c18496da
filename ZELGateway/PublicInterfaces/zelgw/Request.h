// The request document as the gateway reads it: root "ZEL", one "Request" with the function name and the
// request id, and its attribute elements in document order. The wire contract it implements is
// docs/protocol.md.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zelgw/Protocol.h"

namespace zelgw {

// One entry of a list written as child elements: its "value" and whether "default" is "true".
struct ListItem {
  std::string value;
  bool isDefault = false;

  bool operator==(const ListItem&) const = default;
};

struct RequestAttribute {
  std::string name;
  std::string value;
  std::vector<ListItem> items;  // child elements carrying "value", in order
};

struct Request {
  std::string function;
  std::string id;
  std::vector<RequestAttribute> attributes;

  // The first attribute of that name, as clients read theirs; null when there is none.
  const RequestAttribute* Find(std::string_view name) const;
  // The value of the first attribute of that name; empty when there is none.
  std::string Value(std::string_view name) const;
  // A list attribute: the value split on "@EOL@" (an empty value is an empty list) or, when the value is
  // empty, the values of its child elements.
  std::vector<std::string> List(std::string_view name) const;
};

inline constexpr std::string_view kListSeparator = "@EOL@";

struct ProtocolFault {
  ProtocolError error = ProtocolError::kNone;
  std::string text;
};

struct ParsedRequest {
  Request request;  // filled as far as it could be read, so a fault can still name the request id
  std::optional<ProtocolFault> fault;
};

// Reads a request body. The text is parsed in place, hence taken by value.
ParsedRequest ParseRequest(std::string body, std::size_t maxBodyBytes = kDefaultMaxBodyBytes);

}  // namespace zelgw
