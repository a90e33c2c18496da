// The PDM query: which item types and attributes a query offers, and the revisions whose attributes match a
// user's values. A value may hold '*' for any run of characters; texts compare as the store compares them
// (binary collation, so case counts).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "zelgw/Store.h"

namespace zelgw {

// One row of the query dialog per attribute; far beyond any real dialog, small enough that a query stays
// one modest statement.
inline constexpr std::size_t kMaxQueryConditions = 32;
// Each '*' can make the matcher retry the rest of a value at every position, so their number is bounded.
inline constexpr std::size_t kMaxQueryWildcards = 8;
// A client keeps the whole result in a list dialog; more than this is cut, and the reply says so.
inline constexpr std::size_t kMaxQueryResults = 500;

struct QueryAttributeInfo {
  std::string name;
  std::string label;

  bool operator==(const QueryAttributeInfo&) const = default;
};

struct QuerySettings {
  std::vector<std::string> types;  // in the store's order
  // Every attribute any type offers, each once, in the order of the first type offering it.
  std::vector<QueryAttributeInfo> attributes;
};

struct QueryCondition {
  std::string name;
  std::string value;  // as the user typed it: '*' is a wildcard, every other character itself
};

struct RevisionAttribute {
  std::string name;
  std::string label;
  std::string value;
};

struct QueryHit {
  std::string itemId;
  std::string revision;
  std::string name;
  std::string type;
  std::string obid;
  std::vector<RevisionAttribute> attributes;  // in display order
};

struct QueryOutcome {
  std::vector<QueryHit> hits;  // ordered by item id, then revision
  bool truncated = false;      // more revisions matched than were returned
};

// The GLOB pattern that matches what the user's value means: '*' stays a wildcard (runs collapsed), '?' and
// '[' stand for themselves.
std::string QueryGlobPattern(std::string_view value);

class QueryRepository {
 public:
  explicit QueryRepository(Store& store) : store_(store) {}

  QuerySettings Settings();
  bool HasType(std::string_view type);
  // The names a query of the type may use; with an empty type, those of every type.
  std::vector<std::string> AttributeNames(std::string_view type);
  // Revisions of the type (any type when empty) that match every condition; conditions with empty values
  // must have been removed by the caller.
  QueryOutcome Find(std::string_view type, const std::vector<QueryCondition>& conditions,
                    std::size_t limit = kMaxQueryResults);

 private:
  Store& store_;
};

}  // namespace zelgw
