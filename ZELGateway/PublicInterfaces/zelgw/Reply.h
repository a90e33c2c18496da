// The reply document: root "ZEL" holding one "Response" with the request id, its attribute elements, "Error"
// and "Message" elements with a decimal "code", and whatever content a function adds. Every text written
// through this class is made XML-safe, so a reply always parses whatever the store or a request held.
#pragma once

#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "zelgw/Request.h"

namespace zelgw {

class Reply {
 public:
  explicit Reply(std::string_view requestId);
  Reply(const Reply&) = delete;
  Reply& operator=(const Reply&) = delete;

  // An attribute element <Attribute name=".." value=".."/>, with list items as its children when given.
  void AddAttribute(std::string_view name, std::string_view value, const std::vector<ListItem>& items = {});
  // A list as child elements <Item value=".." default="true"/> of an attribute element without "value", the
  // form that carries default flags and items holding "@EOL@". Clients skip items with an empty value, so
  // such items are not written.
  void AddList(std::string_view name, const std::vector<ListItem>& items);
  // A refusal of the function; codes start at kFirstFunctionErrorCode.
  void AddError(int code, std::string_view text);
  void AddMessage(int code, std::string_view text);
  // For function-specific content; write into it with SetXmlAttribute so the text stays XML-safe.
  pugi::xml_node Response() { return response_; }

  // Code of the first error of the reply, 0 when there is none.
  int FirstErrorCode() const { return firstErrorCode_; }
  std::string Serialize() const;

 private:
  pugi::xml_document document_;
  pugi::xml_node response_;
  int firstErrorCode_ = 0;
};

void SetXmlAttribute(pugi::xml_node element, std::string_view name, std::string_view value);

// A reply for a request the gateway could not run: an "Error" under the root and, when the request id is
// known, an empty "Response" carrying it so the client can match the reply to its request.
std::string RootErrorDocument(ProtocolError error, std::string_view text, std::string_view requestId = {});

std::string SerializeDocument(const pugi::xml_document& document);

}  // namespace zelgw
