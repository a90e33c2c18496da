#include "zelgw/StructureRepository.h"

#include <cstdint>
#include <utility>

namespace zelgw {
namespace {

// A structure entry waiting to be written, with the way back to the root through the entries written before.
struct Pending {
  std::int64_t revisionId;
  std::string partNumber;
  std::string instanceName;
  std::size_t parent;  // index into the written entries' trail; npos for the root
};

struct Trail {
  std::int64_t revisionId;
  std::size_t parent;
};

constexpr std::size_t kNoParent = static_cast<std::size_t>(-1);

}  // namespace

std::vector<std::string> StructureRepository::NamesFor(std::string_view partNumber) {
  Store::Lease connection = store_.Acquire();
  Statement& list = connection->Prepare(
      "SELECT DISTINCT n.name FROM named_structures n JOIN revisions r ON r.id = n.root_revision_id "
      "JOIN items i ON i.id = r.item_id WHERE i.item_id = ?1 ORDER BY n.name LIMIT ?2");
  list.BindAll(partNumber, static_cast<std::int64_t>(kMaxStructureNames));
  std::vector<std::string> names;
  while (list.Step()) names.push_back(list.Text(0));
  return names;
}

NamedStructureLookup StructureRepository::Find(std::string_view partNumber, std::string_view name) {
  NamedStructureLookup lookup;
  Store::Lease connection = store_.Acquire();
  ReadSnapshot snapshot(*connection);
  Statement& find = connection->Prepare(
      "SELECT n.id, n.root_revision_id FROM named_structures n JOIN revisions r ON r.id = n.root_revision_id "
      "JOIN items i ON i.id = r.item_id WHERE i.item_id = ?1 AND n.name = ?2 "
      "ORDER BY r.created DESC, r.id DESC LIMIT 1");
  if (!find.BindAll(partNumber, name).Step()) return lookup;
  std::int64_t structureId = find.Int(0);
  std::int64_t rootRevision = find.Int(1);
  find.Reset();

  Statement& children = connection->Prepare(
      "SELECT l.child_revision_id, i.item_id, l.instance_name FROM structure_lines l "
      "JOIN named_structure_members m ON m.structure_line_id = l.id AND m.named_structure_id = ?1 "
      "JOIN revisions r ON r.id = l.child_revision_id JOIN items i ON i.id = r.item_id "
      "WHERE l.parent_revision_id = ?2 ORDER BY l.position, l.id");

  // Depth first without recursion; each entry keeps its way back to the root, which both the cycle check
  // and the depth bound need.
  auto refuse = [&lookup](NamedStructureLookup::Outcome outcome) {
    lookup.outcome = outcome;
    lookup.nodes.clear();
    return lookup;
  };
  std::vector<Trail> trail;
  std::vector<Pending> stack;
  stack.push_back({rootRevision, std::string(partNumber), std::string(partNumber), kNoParent});
  while (!stack.empty()) {
    Pending current = std::move(stack.back());
    stack.pop_back();
    std::size_t depth = 0;
    for (std::size_t up = current.parent; up != kNoParent; up = trail[up].parent) {
      if (trail[up].revisionId == current.revisionId) {
        lookup.cycleAt = current.partNumber;
        return refuse(NamedStructureLookup::Outcome::kCycle);
      }
      ++depth;
    }
    std::size_t self = trail.size();
    trail.push_back({current.revisionId, current.parent});
    lookup.nodes.push_back({std::move(current.partNumber), std::move(current.instanceName), depth});

    std::vector<Pending> found;
    children.Reset();
    children.BindAll(structureId, current.revisionId);
    while (children.Step()) {
      if (depth + 1 > kMaxStructureDepth ||
          lookup.nodes.size() + stack.size() + found.size() >= kMaxStructureNodes) {
        return refuse(NamedStructureLookup::Outcome::kTooLarge);
      }
      found.push_back({children.Int(0), children.Text(1), children.Text(2), self});
    }
    // Last to first, so the first child is written next.
    for (auto child = found.rbegin(); child != found.rend(); ++child) stack.push_back(std::move(*child));
  }
  lookup.outcome = NamedStructureLookup::Outcome::kFound;
  return lookup;
}

}  // namespace zelgw
