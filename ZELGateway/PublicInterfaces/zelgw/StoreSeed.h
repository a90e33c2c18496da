// The demo data set: a bicycle product structure in two revisions, named structures on it, transfer
// processes, function settings, part-number counters and, on request, a few users with well-known passwords.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "zelgw/Sql.h"

namespace zelgw {

struct DemoAccount {
  const char* name;
  const char* password;
  const char* group;
  const char* role;
};
// The demo users; their passwords are public, so a store that still has them is not fit for real use.
std::span<const DemoAccount> DemoAccounts();

struct SeedUser {
  std::string name;
  std::string passwordHash;
  std::string group;
  std::string role;
};
// The demo users with freshly salted hashes of their passwords. Hashing is slow on purpose, so this runs
// before the write transaction, not inside it.
std::vector<SeedUser> HashDemoAccounts();

// Replaces every row with the demo data set and the given users, inside the caller's transaction.
void SeedDemoData(Connection& connection, const std::vector<SeedUser>& users);

}  // namespace zelgw
