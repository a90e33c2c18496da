#include "zelgw/Request.h"

#include <algorithm>
#include <pugixml.hpp>
#include <unordered_set>

#include "zelgw/XmlText.h"

namespace zelgw {
namespace {

// Entities are resolved by DecodeAttributeValue, not by pugixml, which would keep unknown references as
// literal text and cut values at "&#0;". Fragment mode keeps text outside the root element visible, so
// ReadDocument can refuse it; pugixml drops it silently otherwise.
constexpr unsigned kParseFlags =
    pugi::parse_cdata | pugi::parse_wconv_attribute | pugi::parse_eol | pugi::parse_fragment;

// Names from the document quoted in fault texts are cut short: they may be anything a client sent.
std::string Quote(std::string_view text) {
  constexpr std::size_t kMax = 80;
  std::string out = "\"";
  out += text.substr(0, kMax);
  if (text.size() > kMax) out += "...";
  return out + "\"";
}

ProtocolFault Fault(ProtocolError error, std::string text) {
  return {error, std::move(text)};
}

std::optional<ProtocolFault> CheckUniqueAttributes(const pugi::xml_node& element) {
  std::unordered_set<std::string_view> seen;
  for (const pugi::xml_attribute& attribute : element.attributes()) {
    if (!seen.insert(attribute.name()).second) {
      return Fault(ProtocolError::kNotWellFormed, "The element " + Quote(element.name()) +
                                                      " has the attribute " + Quote(attribute.name()) +
                                                      " more than once.");
    }
  }
  return std::nullopt;
}

// The decoded value of an attribute; `present` tells an absent attribute from an empty one.
std::optional<ProtocolFault> ReadAttribute(const pugi::xml_node& element, const char* name,
                                           std::string& value, bool* present = nullptr) {
  pugi::xml_attribute attribute = element.attribute(name);
  if (present) *present = static_cast<bool>(attribute);
  value.clear();
  if (!attribute) return std::nullopt;
  std::optional<std::string> decoded = DecodeAttributeValue(attribute.value());
  if (!decoded) {
    return Fault(ProtocolError::kNotWellFormed,
                 "The attribute " + Quote(name) + " of the element " + Quote(element.name()) +
                     " holds an unknown or malformed reference, or a bare '&' or '<'.");
  }
  value = std::move(*decoded);
  return std::nullopt;
}

// Cheap checks on the raw text, before the parser allocates anything.
std::optional<ProtocolFault> CheckRawBody(std::string_view body, std::size_t maxBodyBytes) {
  if (body.size() > maxBodyBytes) {
    return Fault(ProtocolError::kTooLarge, "The request body has " + std::to_string(body.size()) +
                                               " bytes; the gateway accepts at most " +
                                               std::to_string(maxBodyBytes) + ".");
  }
  if (std::size_t bad = FindInvalidXmlText(body); bad != std::string_view::npos) {
    return Fault(ProtocolError::kInvalidCharacters,
                 "The request body is not UTF-8 text made of XML characters (first bad byte at offset " +
                     std::to_string(bad) + ").");
  }
  if (body.find("<!DOCTYPE") != std::string_view::npos) {
    return Fault(ProtocolError::kDoctypeNotAccepted,
                 "The request document has a document type declaration; the gateway accepts none, and no "
                 "entity definitions.");
  }
  // Start tags, empty-element tags, comments and instructions; end tags allocate nothing.
  std::size_t tags = 0;
  for (std::size_t at = body.find('<'); at != std::string_view::npos; at = body.find('<', at + 1)) {
    tags += at + 1 == body.size() || body[at + 1] != '/';
  }
  std::size_t assignments = static_cast<std::size_t>(std::count(body.begin(), body.end(), '='));
  if (tags > kMaxElements || assignments > kMaxXmlAttributes) {
    return Fault(ProtocolError::kTooLarge, "The request document has more than " +
                                               std::to_string(kMaxElements) + " elements or " +
                                               std::to_string(kMaxXmlAttributes) + " attributes.");
  }
  return std::nullopt;
}

std::optional<ProtocolFault> ReadRequestAttribute(const pugi::xml_node& element, Request& request) {
  if (auto fault = CheckUniqueAttributes(element)) return fault;
  RequestAttribute attribute;
  if (auto fault = ReadAttribute(element, "name", attribute.name)) return fault;
  // Elements without a name are not attributes of the request; clients never write them.
  if (attribute.name.empty()) return std::nullopt;
  if (auto fault = ReadAttribute(element, "value", attribute.value)) return fault;
  for (const pugi::xml_node& child : element.children()) {
    if (child.type() != pugi::node_element) continue;
    if (auto fault = CheckUniqueAttributes(child)) return fault;
    bool hasValue = false;
    ListItem item;
    if (auto fault = ReadAttribute(child, "value", item.value, &hasValue)) return fault;
    if (!hasValue) continue;
    std::string isDefault;
    if (auto fault = ReadAttribute(child, "default", isDefault)) return fault;
    item.isDefault = isDefault == "true";
    attribute.items.push_back(std::move(item));
  }
  request.attributes.push_back(std::move(attribute));
  return std::nullopt;
}

std::optional<ProtocolFault> ReadDocument(std::string& body, Request& request) {
  pugi::xml_document document;
  pugi::xml_parse_result parsed =
      document.load_buffer_inplace(body.data(), body.size(), kParseFlags, pugi::encoding_utf8);
  if (!parsed) {
    return Fault(ProtocolError::kNotWellFormed,
                 std::string("The request body is not a well-formed XML document: ") + parsed.description() +
                     " (at byte " + std::to_string(parsed.offset) + ").");
  }
  // A document has exactly one root element and no text beside it.
  pugi::xml_node root;
  for (const pugi::xml_node& node : document.children()) {
    if (node.type() == pugi::node_element && !root) {
      root = node;
    } else if (node.type() == pugi::node_element || node.type() == pugi::node_pcdata ||
               node.type() == pugi::node_cdata) {
      return Fault(
          ProtocolError::kNotWellFormed,
          "The request body is not a well-formed XML document: it has content after the root element.");
    }
  }
  if (!root) {
    return Fault(ProtocolError::kNotWellFormed,
                 "The request body is not a well-formed XML document: it has no root element.");
  }
  if (std::string_view(root.name()) != "ZEL") {
    return Fault(ProtocolError::kWrongRoot, "The root element of the request document is " +
                                                Quote(root.name()) + "; it must be \"ZEL\".");
  }
  pugi::xml_node requestElement;
  std::size_t requestCount = 0;
  for (const pugi::xml_node& child : root.children("Request")) {
    if (requestCount++ == 0) requestElement = child;
  }
  if (requestCount != 1) {
    return Fault(ProtocolError::kMissingRequest,
                 requestCount == 0 ? std::string("The request document has no \"Request\" element.")
                                   : "The request document has " + std::to_string(requestCount) +
                                         " \"Request\" elements; it must have exactly one.");
  }
  if (auto fault = CheckUniqueAttributes(requestElement)) return fault;
  if (auto fault = ReadAttribute(requestElement, "id", request.id)) return fault;
  if (auto fault = ReadAttribute(requestElement, "name", request.function)) return fault;
  if (request.function.empty()) {
    return Fault(ProtocolError::kMissingFunctionName,
                 "The \"Request\" element does not name a function (attribute \"name\").");
  }
  for (const pugi::xml_node& child : requestElement.children()) {
    if (child.type() != pugi::node_element) continue;
    if (auto fault = ReadRequestAttribute(child, request)) return fault;
  }
  return std::nullopt;
}

}  // namespace

const RequestAttribute* Request::Find(std::string_view name) const {
  for (const RequestAttribute& attribute : attributes) {
    if (attribute.name == name) return &attribute;
  }
  return nullptr;
}

std::string Request::Value(std::string_view name) const {
  const RequestAttribute* attribute = Find(name);
  return attribute ? attribute->value : std::string();
}

std::vector<std::string> Request::List(std::string_view name) const {
  std::vector<std::string> values;
  const RequestAttribute* attribute = Find(name);
  if (!attribute) return values;
  if (attribute->value.empty()) {
    for (const ListItem& item : attribute->items) values.push_back(item.value);
    return values;
  }
  std::string_view rest = attribute->value;
  for (;;) {
    std::size_t separator = rest.find(kListSeparator);
    values.emplace_back(rest.substr(0, separator));
    if (separator == std::string_view::npos) break;
    rest.remove_prefix(separator + kListSeparator.size());
  }
  return values;
}

ParsedRequest ParseRequest(std::string body, std::size_t maxBodyBytes) {
  ParsedRequest result;
  result.fault = CheckRawBody(body, maxBodyBytes);
  if (!result.fault) result.fault = ReadDocument(body, result.request);
  return result;
}

}  // namespace zelgw
