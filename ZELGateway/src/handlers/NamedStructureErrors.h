// Refusals of the two named-structure functions; they share their codes, since the client sends the same
// part number to both.
#pragma once

namespace zelgw {

enum NamedStructureError : int {
  kNoContextPartNumber = 1201,
  kStructureTextTooLong = 1202,
  kStructureTextControls = 1203,
  kNoStructureName = 1204,
  kUnknownStructure = 1205,
  kStructureTooLarge = 1206,
  kStructureCycle = 1207,
};

}  // namespace zelgw
