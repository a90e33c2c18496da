#include "zelgw/TransferRepository.h"

#include <algorithm>
#include <map>
#include <utility>

#include "zelgw/SettingRepository.h"
#include "zelgw/StructureRepository.h"

namespace zelgw {
namespace {

constexpr std::string_view kOptionsFunction = "GetSendTo3DXOptions";

struct NamedRule {
  std::string_view name;
  RevisionRule rule;
};
constexpr NamedRule kRules[] = {
    {"Precise Only", RevisionRule::kPrecise},
    {"Latest Working", RevisionRule::kLatestWorking},
    {"Latest Released", RevisionRule::kLatestReleased},
};

std::vector<std::string> SplitSetting(const std::optional<std::string>& stored) {
  std::vector<std::string> values;
  if (!stored) return values;
  std::string_view rest = *stored;
  constexpr std::string_view kSeparator = "@EOL@";
  while (true) {
    std::size_t at = rest.find(kSeparator);
    std::string_view piece = rest.substr(0, at);
    if (!piece.empty() && std::find(values.begin(), values.end(), piece) == values.end())
      values.emplace_back(piece);
    if (at == std::string_view::npos) break;
    rest.remove_prefix(at + kSeparator.size());
  }
  return values;
}

bool IsTrue(const std::optional<std::string>& stored) {
  if (!stored || stored->size() != 4) return false;
  std::string lower;
  for (char c : *stored) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return lower == "true";
}

constexpr const char* kRevisionColumns =
    "SELECT r.id, i.item_id, r.revision, r.obid, t.name, i.name, i.description, i.owner, "
    "r.released IS NOT NULL FROM revisions r JOIN items i ON i.id = r.item_id "
    "JOIN item_types t ON t.id = i.item_type_id ";

RevisionInfo ReadRevision(const Statement& row) {
  return {row.Int(0),  row.Text(1), row.Text(2), row.Text(3),    row.Text(4),
          row.Text(5), row.Text(6), row.Text(7), row.Int(8) != 0};
}

// A line of a revision with the child the rule chose; none when the rule finds no revision of the child.
struct ChildLine {
  std::string instanceName;
  std::string childItem;
  std::optional<std::int64_t> chosen;
};

// An occurrence waiting to be written, with the way back to the root through those written before.
struct Pending {
  std::int64_t revisionId;
  std::string instanceName;
  std::size_t parent;
};

constexpr std::size_t kNoParent = static_cast<std::size_t>(-1);

}  // namespace

std::optional<RevisionRule> RevisionRuleNamed(std::string_view name) {
  for (const NamedRule& rule : kRules) {
    if (rule.name == name) return rule.rule;
  }
  return std::nullopt;
}

SendOptions TransferRepository::Options() {
  SettingRepository settings(store_);
  SendOptions options;
  for (std::string& rule : SplitSetting(settings.Get(kOptionsFunction, "RevisionRules"))) {
    if (RevisionRuleNamed(rule)) options.revisionRules.push_back(std::move(rule));
  }
  std::optional<std::string> preferred = settings.Get(kOptionsFunction, "DefaultRevisionRule");
  if (preferred && std::find(options.revisionRules.begin(), options.revisionRules.end(), *preferred) !=
                       options.revisionRules.end()) {
    options.defaultRevisionRule = *preferred;
  }
  options.variants = SplitSetting(settings.Get(kOptionsFunction, "Variants"));
  options.sendConfigurationEnabled =
      IsTrue(settings.Get(kOptionsFunction, "ShowPdmSendConfigurationEnabled"));
  return options;
}

std::optional<RevisionInfo> TransferRepository::FindRevision(std::string_view obid) {
  Store::Lease connection = store_.Acquire();
  Statement& find = connection->Prepare(std::string(kRevisionColumns) + "WHERE r.obid = ?1");
  if (!find.BindAll(obid).Step()) return std::nullopt;
  RevisionInfo revision = ReadRevision(find);
  find.Reset();
  return revision;
}

TransferStructure TransferRepository::Resolve(const RevisionInfo& root, int expandLevel, RevisionRule rule) {
  TransferStructure structure;
  Store::Lease connection = store_.Acquire();
  ReadSnapshot snapshot(*connection);
  Statement& byId = connection->Prepare(std::string(kRevisionColumns) + "WHERE r.id = ?1");
  Statement& lines = connection->Prepare(
      "SELECT l.instance_name, ci.item_id, CASE ?2 "
      "WHEN 0 THEN l.child_revision_id "
      "WHEN 1 THEN (SELECT n.id FROM revisions n WHERE n.item_id = cr.item_id "
      "  ORDER BY n.created DESC, n.id DESC LIMIT 1) "
      "ELSE (SELECT n.id FROM revisions n WHERE n.item_id = cr.item_id AND n.released IS NOT NULL "
      "  ORDER BY n.created DESC, n.id DESC LIMIT 1) END "
      "FROM structure_lines l JOIN revisions cr ON cr.id = l.child_revision_id "
      "JOIN items ci ON ci.id = cr.item_id WHERE l.parent_revision_id = ?1 ORDER BY l.position, l.id");
  const std::int64_t ruleCode = rule == RevisionRule::kPrecise         ? 0
                                : rule == RevisionRule::kLatestWorking ? 1
                                                                       : 2;

  // The same revision often occurs many times in a tree; each is read and expanded from the store once.
  std::map<std::int64_t, RevisionInfo> revisions{{root.id, root}};
  std::map<std::int64_t, std::vector<ChildLine>> children;
  auto revisionOf = [&](std::int64_t id) -> const RevisionInfo& {
    auto found = revisions.find(id);
    if (found != revisions.end()) return found->second;
    byId.Reset();
    if (!byId.BindAll(id).Step()) throw StoreError("revision " + std::to_string(id) + " vanished");
    RevisionInfo read = ReadRevision(byId);
    byId.Reset();
    return revisions.emplace(id, std::move(read)).first->second;
  };
  auto childrenOf = [&](std::int64_t id) -> const std::vector<ChildLine>& {
    auto found = children.find(id);
    if (found != children.end()) return found->second;
    std::vector<ChildLine> read;
    lines.Reset();
    lines.BindAll(id, ruleCode);
    while (lines.Step()) {
      ChildLine line{lines.Text(0), lines.Text(1), std::nullopt};
      if (!lines.IsNull(2)) line.chosen = lines.Int(2);
      read.push_back(std::move(line));
    }
    lines.Reset();
    for (const ChildLine& line : read) {
      if (!line.chosen)
        structure.skipped.push_back({revisionOf(id).Label(), line.childItem, line.instanceName});
    }
    return children.emplace(id, std::move(read)).first->second;
  };
  auto refuse = [&structure](TransferStructure::Outcome outcome) {
    structure.outcome = outcome;
    structure.nodes.clear();
    structure.skipped.clear();
    return structure;
  };

  std::vector<Pending> stack{{root.id, "", kNoParent}};
  while (!stack.empty()) {
    Pending current = std::move(stack.back());
    stack.pop_back();
    std::size_t depth = 0;
    for (std::size_t up = current.parent; up != kNoParent; up = structure.nodes[up].parent) {
      if (structure.nodes[up].revision.id == current.revisionId) {
        structure.cycleAt = revisionOf(current.revisionId).Label();
        return refuse(TransferStructure::Outcome::kCycle);
      }
      ++depth;
    }
    if (depth > kMaxStructureDepth || structure.nodes.size() >= kMaxStructureNodes)
      return refuse(TransferStructure::Outcome::kTooLarge);
    bool expand = expandLevel < 0 || depth < static_cast<std::size_t>(expandLevel);
    std::size_t self = structure.nodes.size();
    structure.nodes.push_back(
        {revisionOf(current.revisionId), std::move(current.instanceName), current.parent, depth, expand});
    if (!expand) continue;
    const std::vector<ChildLine>& found = childrenOf(current.revisionId);
    if (structure.nodes.size() + stack.size() + found.size() > kMaxStructureNodes)
      return refuse(TransferStructure::Outcome::kTooLarge);
    // Last to first, so the first child is written next.
    for (auto child = found.rbegin(); child != found.rend(); ++child) {
      if (child->chosen) stack.push_back({*child->chosen, child->instanceName, self});
    }
  }
  return structure;
}

}  // namespace zelgw
