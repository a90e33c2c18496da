#include "zelgw/Reply.h"

#include <sstream>

#include "zelgw/XmlText.h"

namespace zelgw {
namespace {

void AppendCodedElement(pugi::xml_node parent, const char* tag, int code, std::string_view text) {
  pugi::xml_node element = parent.append_child(tag);
  element.append_attribute("code") = code;
  // No text node for an empty text: clients take the text from the first child only when it is text.
  if (!text.empty()) element.append_child(pugi::node_pcdata).set_value(ToXmlText(text).c_str());
}

void AppendItems(pugi::xml_node element, const std::vector<ListItem>& items) {
  for (const ListItem& item : items) {
    if (item.value.empty()) continue;
    pugi::xml_node child = element.append_child("Item");
    SetXmlAttribute(child, "value", item.value);
    if (item.isDefault) SetXmlAttribute(child, "default", "true");
  }
}

}  // namespace

void SetXmlAttribute(pugi::xml_node element, std::string_view name, std::string_view value) {
  std::string safeName = ToXmlText(name);
  pugi::xml_attribute attribute = element.attribute(safeName.c_str());
  if (!attribute) attribute = element.append_attribute(safeName.c_str());
  attribute.set_value(ToXmlText(value).c_str());
}

std::string SerializeDocument(const pugi::xml_document& document) {
  std::ostringstream out;
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  document.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  return out.str();
}

Reply::Reply(std::string_view requestId) {
  response_ = document_.append_child("ZEL").append_child("Response");
  SetXmlAttribute(response_, "id", requestId);
}

void Reply::AddAttribute(std::string_view name, std::string_view value, const std::vector<ListItem>& items) {
  pugi::xml_node element = response_.append_child("Attribute");
  SetXmlAttribute(element, "name", name);
  SetXmlAttribute(element, "value", value);
  AppendItems(element, items);
}

void Reply::AddList(std::string_view name, const std::vector<ListItem>& items) {
  pugi::xml_node element = response_.append_child("Attribute");
  SetXmlAttribute(element, "name", name);
  AppendItems(element, items);
}

void Reply::AddError(int code, std::string_view text) {
  AppendCodedElement(response_, "Error", code, text);
  if (firstErrorCode_ == 0) firstErrorCode_ = code;
}

void Reply::AddMessage(int code, std::string_view text) {
  AppendCodedElement(response_, "Message", code, text);
}

std::string Reply::Serialize() const {
  return SerializeDocument(document_);
}

std::string RootErrorDocument(ProtocolError error, std::string_view text, std::string_view requestId) {
  pugi::xml_document document;
  pugi::xml_node root = document.append_child("ZEL");
  AppendCodedElement(root, "Error", static_cast<int>(error), text);
  if (!requestId.empty()) SetXmlAttribute(root.append_child("Response"), "id", requestId);
  return SerializeDocument(document);
}

}  // namespace zelgw
