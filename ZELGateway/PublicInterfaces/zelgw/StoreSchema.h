// The store's schema: its version, the mark that tells a gateway store from any other SQLite file, and the
// ordered migrations that bring an older store up to date.
#pragma once

#include <cstdint>

#include "zelgw/Sql.h"

namespace zelgw {

inline constexpr int kStoreSchemaVersion = 1;
// PRAGMA application_id of every gateway store: "ZELG".
inline constexpr std::int32_t kStoreApplicationId = 0x5A454C47;

enum class StoreContent {
  Empty,    // no schema object at all: free to become a store
  Gateway,  // marked as a gateway store, or holding the gateway's schema from before the mark
  Foreign,  // another application's data, never to be touched
};
StoreContent InspectStore(Connection& connection);

// The schema version the store holds; 0 when it has none yet.
int StoredSchemaVersion(Connection& connection);

// Creates or upgrades the schema and sets the mark, inside the caller's transaction; true when the store was
// empty. Throws StoreError for a schema newer than this gateway's.
bool MigrateSchema(Connection& connection);

}  // namespace zelgw
