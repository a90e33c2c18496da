#include "GatewayTestUtil.h"

#include <pugixml.hpp>
#include <sstream>

namespace gwtest {
namespace {

std::vector<CodedText> CodedChildren(const pugi::xml_node& parent, const char* tag) {
  std::vector<CodedText> out;
  for (const pugi::xml_node& element : parent.children(tag)) {
    out.push_back({element.attribute("code").as_int(), element.child_value()});
  }
  return out;
}

}  // namespace

std::string RequestBody(const std::string& function, const std::string& id, const Attributes& attributes) {
  pugi::xml_document document;
  pugi::xml_node request = document.append_child("ZEL").append_child("Request");
  request.append_attribute("name") = function.c_str();
  request.append_attribute("id") = id.c_str();
  for (const auto& [name, value] : attributes) {
    pugi::xml_node attribute = request.append_child("Attribute");
    attribute.append_attribute("name") = name.c_str();
    attribute.append_attribute("value") = value.c_str();
  }
  std::ostringstream out;
  document.save(out, "", pugi::format_raw, pugi::encoding_utf8);
  return out.str();
}

ReadReply ParseReply(const std::string& body) {
  ReadReply reply;
  pugi::xml_document document;
  if (!document.load_buffer(body.data(), body.size(), pugi::parse_default, pugi::encoding_utf8)) return reply;
  reply.parsed = true;
  pugi::xml_node root = document.document_element();
  reply.root = root.name();
  reply.rootErrors = CodedChildren(root, "Error");
  pugi::xml_node response = root.child("Response");
  reply.hasResponse = static_cast<bool>(response);
  reply.responseId = response.attribute("id").value();
  for (const pugi::xml_node& attribute : response.children("Attribute")) {
    reply.attributes.emplace_back(attribute.attribute("name").value(), attribute.attribute("value").value());
    std::vector<zelgw::ListItem> items;
    for (const pugi::xml_node& item : attribute.children()) {
      items.push_back(
          {item.attribute("value").value(), std::string(item.attribute("default").value()) == "true"});
    }
    reply.items.push_back(std::move(items));
  }
  reply.errors = CodedChildren(response, "Error");
  reply.messages = CodedChildren(response, "Message");
  return reply;
}

}  // namespace gwtest
