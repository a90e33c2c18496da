// What the PDM holds about one item revision for the attribute viewer: the item's header data, its owning
// site and the revision's attributes in their groups.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zelgw/Store.h"

namespace zelgw {

struct MetadataAttribute {
  std::string name;
  std::string label;
  std::string value;
};

struct MetadataGroup {
  std::string name;
  std::vector<MetadataAttribute> attributes;  // in display order
};

struct ItemMetadata {
  std::string itemType;
  std::string itemName;
  std::string owningSite;  // empty when the PDM records none
  bool revisionFound = false;
  // Groups in the order of their first attribute; empty unless the revision was found.
  std::vector<MetadataGroup> groups;
};

class MetadataRepository {
 public:
  explicit MetadataRepository(Store& store) : store_(store) {}

  // Nothing when the store has no item of that id.
  std::optional<ItemMetadata> Read(std::string_view itemId, std::string_view revision);

 private:
  Store& store_;
};

}  // namespace zelgw
