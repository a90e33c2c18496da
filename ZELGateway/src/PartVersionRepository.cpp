#include "PartVersionRepository.h"

namespace zelgw {
namespace {

constexpr std::string_view kSelect =
    "SELECT items.item_id, revisions.revision, revisions.obid, item_types.name, items.name, revisions.status "
    "FROM revisions JOIN items ON items.id = revisions.item_id "
    "JOIN item_types ON item_types.id = items.item_type_id ";

PartRevision ReadRow(const Statement& row) {
  return {row.Text(0), row.Text(1), row.Text(2), row.Text(3), row.Text(4), row.Text(5)};
}

}  // namespace

bool PartVersionRepository::HasItem(std::string_view partNumber) {
  Store::Lease connection = store_.Acquire();
  Statement& exists = connection->Prepare("SELECT count(*) FROM items WHERE item_id = ?1");
  exists.BindAll(partNumber).Step();
  const bool found = exists.Int(0) > 0;
  exists.Reset();
  return found;
}

std::optional<PartRevision> PartVersionRepository::Find(std::string_view partNumber,
                                                        std::string_view revision) {
  Store::Lease connection = store_.Acquire();
  Statement& find =
      connection->Prepare(std::string(kSelect) + "WHERE items.item_id = ?1 AND revisions.revision = ?2");
  std::optional<PartRevision> found;
  if (find.BindAll(partNumber, revision).Step()) found = ReadRow(find);
  find.Reset();
  return found;
}

std::optional<PartRevision> PartVersionRepository::Latest(std::string_view partNumber) {
  Store::Lease connection = store_.Acquire();
  Statement& find = connection->Prepare(std::string(kSelect) +
                                        "WHERE items.item_id = ?1 "
                                        "ORDER BY revisions.created DESC, revisions.id DESC LIMIT 1");
  std::optional<PartRevision> found;
  if (find.BindAll(partNumber).Step()) found = ReadRow(find);
  find.Reset();
  return found;
}

}  // namespace zelgw
