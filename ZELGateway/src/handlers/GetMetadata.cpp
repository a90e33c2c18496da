// "GetMetadata": what the PDM holds about one item revision, for the client's attribute viewer. The reply
// names the item ("PartNumber", "Revision", "ItemType", "ObjectName"), carries a "Loc" element whose "OWNER"
// is the item's owning site (left out when the PDM records none), and one "Group" per attribute group with
// an "Attribute" element per attribute: its "name", its display name in "display" and its "value".
#include <string>

#include "MetadataRepository.h"
#include "handlers/Credentials.h"
#include "handlers/Handlers.h"
#include "handlers/RequestText.h"

namespace zelgw {
namespace {

enum MetadataError : int {
  kWrongCredentials = 1801,
  kWrongGroup = 1802,
  kWrongRole = 1803,
  kNoPartNumber = 1804,
  kPartNumberTooLong = 1805,
  kPartNumberControl = 1806,
  kNoRevision = 1807,
  kRevisionTooLong = 1808,
  kRevisionControl = 1809,
  kUnknownItem = 1810,
  kUnknownRevision = 1811,
  kBadContextText = 1812,
};

// The selection's context texts are optional, but still bounded like every text a request names.
bool CheckContextText(const Request& request, std::string_view attribute, Reply& reply) {
  const std::string value = request.Value(attribute);
  if (value.size() > kMaxRequestTextBytes) {
    reply.AddError(kBadContextText, "The attribute \"" + std::string(attribute) + "\" is longer than " +
                                        std::to_string(kMaxRequestTextBytes) + " bytes.");
    return false;
  }
  if (HasControlCharacter(value)) {
    reply.AddError(kBadContextText, "The attribute \"" + std::string(attribute) + "\" " +
                                        QuotedForMessage(value) +
                                        " holds line breaks, tabs or other control characters.");
    return false;
  }
  return true;
}

}  // namespace

void HandleGetMetadata(const Request& request, Store& store, Reply& reply) {
  if (!CheckCredentials(request, store, {kWrongCredentials, kWrongGroup, kWrongRole}, reply)) return;
  std::string partNumber, revision;
  if (!CheckRequiredText(request, "PartNumber", "part number",
                         {kNoPartNumber, kPartNumberTooLong, kPartNumberControl}, reply, partNumber) ||
      !CheckRequiredText(request, "Revision", "revision", {kNoRevision, kRevisionTooLong, kRevisionControl},
                         reply, revision)) {
    return;
  }
  for (const char* attribute : {"InstanceName", "ParentPartNumber", "ParentRevision"}) {
    if (!CheckContextText(request, attribute, reply)) return;
  }

  std::optional<ItemMetadata> metadata = MetadataRepository(store).Read(partNumber, revision);
  if (!metadata) {
    reply.AddError(kUnknownItem, "The PDM has no item " + QuotedForMessage(partNumber) + ".");
    return;
  }
  if (!metadata->revisionFound) {
    reply.AddError(kUnknownRevision, "The PDM has no revision " + QuotedForMessage(revision) + " of item " +
                                         QuotedForMessage(partNumber) + ".");
    return;
  }

  reply.AddAttribute("PartNumber", partNumber);
  reply.AddAttribute("Revision", revision);
  reply.AddAttribute("ItemType", metadata->itemType);
  reply.AddAttribute("ObjectName", metadata->itemName);
  pugi::xml_node location = reply.Response().append_child("Loc");
  if (!metadata->owningSite.empty()) SetXmlAttribute(location, "OWNER", metadata->owningSite);
  for (const MetadataGroup& group : metadata->groups) {
    pugi::xml_node element = reply.Response().append_child("Group");
    SetXmlAttribute(element, "name", group.name);
    for (const MetadataAttribute& attribute : group.attributes) {
      pugi::xml_node child = element.append_child("Attribute");
      SetXmlAttribute(child, "name", attribute.name);
      SetXmlAttribute(child, "display", attribute.label);
      SetXmlAttribute(child, "value", attribute.value);
    }
  }
}

}  // namespace zelgw
