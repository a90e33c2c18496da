// Revisions of one item as the PDM client commands name them: by part number and revision, or the newest.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "zelgw/Store.h"

namespace zelgw {

struct PartRevision {
  std::string itemId;    // the part number
  std::string revision;  // the revision's name, "A"
  std::string obid;      // the revision's object identifier
  std::string type;      // the item's type name
  std::string name;
  std::string status;
};

class PartVersionRepository {
 public:
  explicit PartVersionRepository(Store& store) : store_(store) {}

  bool HasItem(std::string_view partNumber);
  std::optional<PartRevision> Find(std::string_view partNumber, std::string_view revision);
  // The revision created last; the one recorded last when two were created in the same second.
  std::optional<PartRevision> Latest(std::string_view partNumber);

 private:
  Store& store_;
};

}  // namespace zelgw
