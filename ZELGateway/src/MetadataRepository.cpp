#include "MetadataRepository.h"

#include <cstdint>

namespace zelgw {

std::optional<ItemMetadata> MetadataRepository::Read(std::string_view itemId, std::string_view revision) {
  Store::Lease connection = store_.Acquire();
  ReadSnapshot snapshot(*connection);
  Statement& item = connection->Prepare(
      "SELECT t.name, i.name, i.owning_site FROM items i JOIN item_types t ON t.id = i.item_type_id "
      "WHERE i.item_id = ?1");
  item.BindAll(itemId);
  if (!item.Step()) {
    item.Reset();
    return std::nullopt;
  }
  ItemMetadata metadata{item.Text(0), item.Text(1), item.Text(2), false, {}};
  item.Reset();

  Statement& find = connection->Prepare(
      "SELECT r.id FROM revisions r JOIN items i ON i.id = r.item_id WHERE i.item_id = ?1 AND r.revision = "
      "?2");
  find.BindAll(itemId, revision);
  if (!find.Step()) {
    find.Reset();
    return metadata;
  }
  const std::int64_t revisionId = find.Int(0);
  find.Reset();
  metadata.revisionFound = true;

  // A group stands where its first attribute stands, so the viewer shows groups as the PDM orders them.
  Statement& attributes = connection->Prepare(
      "SELECT a.group_name, a.name, a.label, a.value FROM revision_attributes a "
      "JOIN (SELECT group_name, min(position) AS first FROM revision_attributes WHERE revision_id = ?1 "
      "GROUP BY group_name) g ON g.group_name = a.group_name "
      "WHERE a.revision_id = ?1 ORDER BY g.first, a.group_name, a.position, a.name");
  attributes.BindAll(revisionId);
  while (attributes.Step()) {
    std::string group = attributes.Text(0);
    if (metadata.groups.empty() || metadata.groups.back().name != group)
      metadata.groups.push_back({std::move(group), {}});
    metadata.groups.back().attributes.push_back({attributes.Text(1), attributes.Text(2), attributes.Text(3)});
  }
  attributes.Reset();
  return metadata;
}

}  // namespace zelgw
