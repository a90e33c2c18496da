// Transfers of PDM revisions to 3DEXPERIENCE: the options the send dialog offers, the revision a client
// picked, and the structure below it resolved to a depth under a revision rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zelgw/Store.h"

namespace zelgw {

// How the child of a structure line is chosen: the line's own revision, the child item's newest revision,
// or its newest released one.
enum class RevisionRule { kPrecise, kLatestWorking, kLatestReleased };

// The rule of that name, as the send dialog lists it; nothing for a rule the gateway cannot expand by.
std::optional<RevisionRule> RevisionRuleNamed(std::string_view name);

// What the send dialog offers, from the settings of "GetSendTo3DXOptions". Rules the gateway cannot expand
// by are left out, so a client is never offered a rule that its send would be refused for.
struct SendOptions {
  std::vector<std::string> revisionRules;
  std::string defaultRevisionRule;  // empty when the configured default is not offered
  std::vector<std::string> variants;
  bool sendConfigurationEnabled = false;
};

struct RevisionInfo {
  std::int64_t id = 0;
  std::string itemId;
  std::string revision;
  std::string obid;
  std::string type;
  std::string name;
  std::string description;
  std::string owner;
  bool released = false;

  std::string Label() const { return itemId + "/" + revision; }
};

// One occurrence of a revision in the resolved tree.
struct TransferNode {
  RevisionInfo revision;
  std::string instanceName;  // under its parent; empty for the root
  std::size_t parent = static_cast<std::size_t>(-1);
  std::size_t depth = 0;
  bool expanded = false;  // its children were resolved (it lies above the requested depth)
};

// A line the rule found no revision for; the line stays in the PDM, it is only not transferred.
struct SkippedLine {
  std::string parent;  // "ITEM/REV"
  std::string childItem;
  std::string instanceName;
};

struct TransferStructure {
  enum class Outcome { kResolved, kTooLarge, kCycle };
  Outcome outcome = Outcome::kResolved;
  std::vector<TransferNode> nodes;  // root first, then depth first in structure order
  std::vector<SkippedLine> skipped;
  std::string cycleAt;  // "ITEM/REV" that contains itself, for kCycle
};

class TransferRepository {
 public:
  explicit TransferRepository(Store& store) : store_(store) {}

  SendOptions Options();
  std::optional<RevisionInfo> FindRevision(std::string_view obid);
  // The tree below the revision: -1 for every level, 0 for the revision alone, n for n levels. A tree deeper
  // than kMaxStructureDepth or with more than kMaxStructureNodes occurrences is refused, not cut.
  TransferStructure Resolve(const RevisionInfo& root, int expandLevel, RevisionRule rule);

 private:
  Store& store_;
};

}  // namespace zelgw
