#include "QueryRepository.h"

#include <cstdint>
#include <set>

namespace zelgw {

std::string QueryGlobPattern(std::string_view value) {
  std::string pattern;
  pattern.reserve(value.size() + 8);
  for (char c : value) {
    if (c == '*') {
      if (pattern.empty() || pattern.back() != '*') pattern += '*';
    } else if (c == '?') {
      pattern += "[?]";
    } else if (c == '[') {
      pattern += "[[]";
    } else {
      pattern += c;
    }
  }
  return pattern;
}

QuerySettings QueryRepository::Settings() {
  QuerySettings settings;
  Store::Lease connection = store_.Acquire();
  ReadSnapshot snapshot(*connection);
  Statement& types = connection->Prepare("SELECT name FROM item_types ORDER BY position, id");
  while (types.Step()) settings.types.push_back(types.Text(0));
  Statement& attributes = connection->Prepare(
      "SELECT a.name, a.label FROM query_attributes a JOIN item_types t ON t.id = a.item_type_id "
      "ORDER BY t.position, t.id, a.position, a.name");
  std::set<std::string> seen;
  while (attributes.Step()) {
    std::string name = attributes.Text(0);
    if (seen.insert(name).second) settings.attributes.push_back({std::move(name), attributes.Text(1)});
  }
  return settings;
}

bool QueryRepository::HasType(std::string_view type) {
  Store::Lease connection = store_.Acquire();
  Statement& find = connection->Prepare("SELECT 1 FROM item_types WHERE name = ?1");
  return find.BindAll(type).Step();
}

std::vector<std::string> QueryRepository::AttributeNames(std::string_view type) {
  Store::Lease connection = store_.Acquire();
  Statement& list = connection->Prepare(
      "SELECT DISTINCT a.name FROM query_attributes a JOIN item_types t ON t.id = a.item_type_id "
      "WHERE ?1 = '' OR t.name = ?1");
  list.BindAll(type);
  std::vector<std::string> names;
  while (list.Step()) names.push_back(list.Text(0));
  return names;
}

QueryOutcome QueryRepository::Find(std::string_view type, const std::vector<QueryCondition>& conditions,
                                   std::size_t limit) {
  // The text varies only with the number of conditions, so at most kMaxQueryConditions statements are kept.
  std::string sql =
      "SELECT r.id, i.item_id, r.revision, i.name, t.name, r.obid FROM revisions r "
      "JOIN items i ON i.id = r.item_id JOIN item_types t ON t.id = i.item_type_id "
      "WHERE (?1 = '' OR t.name = ?1)";
  for (std::size_t i = 0; i < conditions.size(); ++i) {
    std::string name = "?" + std::to_string(3 + 2 * i), pattern = "?" + std::to_string(4 + 2 * i);
    sql +=
        " AND EXISTS (SELECT 1 FROM revision_attributes a WHERE a.revision_id = r.id AND a.name = " + name +
        " AND a.value GLOB " + pattern + ")";
  }
  sql += " ORDER BY i.item_id, r.revision, r.id LIMIT ?2";

  QueryOutcome outcome;
  Store::Lease connection = store_.Acquire();
  ReadSnapshot snapshot(*connection);
  Statement& find = connection->Prepare(sql);
  // One more than asked for tells whether the result was cut.
  find.BindAll(type, static_cast<std::int64_t>(limit) + 1);
  for (std::size_t i = 0; i < conditions.size(); ++i) {
    find.Bind(static_cast<int>(3 + 2 * i), conditions[i].name);
    find.Bind(static_cast<int>(4 + 2 * i), QueryGlobPattern(conditions[i].value));
  }
  std::vector<std::int64_t> revisionIds;
  while (find.Step()) {
    if (outcome.hits.size() == limit) {
      outcome.truncated = true;
      break;
    }
    revisionIds.push_back(find.Int(0));
    outcome.hits.push_back({find.Text(1), find.Text(2), find.Text(3), find.Text(4), find.Text(5), {}});
  }
  find.Reset();

  Statement& attributes = connection->Prepare(
      "SELECT name, label, value FROM revision_attributes WHERE revision_id = ?1 ORDER BY position, name");
  for (std::size_t i = 0; i < revisionIds.size(); ++i) {
    attributes.Reset();
    attributes.BindAll(revisionIds[i]);
    while (attributes.Step())
      outcome.hits[i].attributes.push_back({attributes.Text(0), attributes.Text(1), attributes.Text(2)});
  }
  return outcome;
}

}  // namespace zelgw
