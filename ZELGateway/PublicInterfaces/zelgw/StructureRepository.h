// Named structures: subsets of a product structure that the PDM keeps under a name for its root part. A
// structure belongs to one revision of the root; clients know the root by its part number alone, so a name is
// looked up on the newest revision of that part that holds it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "zelgw/Store.h"

namespace zelgw {

// Clients walk a structure recursively and keep it whole in memory; beyond these a structure is refused
// rather than cut, since a cut structure would make the client hide parts that belong to it.
inline constexpr std::size_t kMaxStructureDepth = 100;
inline constexpr std::size_t kMaxStructureNodes = 10000;
// Names offered for one part; the rest are left out of the list.
inline constexpr std::size_t kMaxStructureNames = 1000;

// One entry of a named structure: the part number of the component and the instance name it has under its
// parent. The root has no instance, so its instance name is its own part number.
struct StructureNode {
  std::string partNumber;
  std::string instanceName;
  std::size_t depth = 0;  // 0 for the root

  bool operator==(const StructureNode&) const = default;
};

struct NamedStructureLookup {
  enum class Outcome {
    kFound,
    kUnknown,   // no structure of that name for that part
    kTooLarge,  // deeper or larger than the bounds above
    kCycle,     // a component contains itself, so the structure has no end
  };
  Outcome outcome = Outcome::kUnknown;
  std::vector<StructureNode> nodes;  // when found: root first, then depth first in structure order
  std::string cycleAt;               // part number that contains itself, for kCycle
};

class StructureRepository {
 public:
  explicit StructureRepository(Store& store) : store_(store) {}

  // The names of the part's named structures over all its revisions, each once, in name order.
  std::vector<std::string> NamesFor(std::string_view partNumber);
  NamedStructureLookup Find(std::string_view partNumber, std::string_view name);

 private:
  Store& store_;
};

}  // namespace zelgw
