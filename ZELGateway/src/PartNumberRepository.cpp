#include "zelgw/PartNumberRepository.h"

#include <cstdio>

namespace zelgw {

std::optional<std::string> PartNumberRepository::Next(std::string_view prefix) {
  Store::Lease connection = store_.Acquire();
  Transaction transaction(*connection);
  Statement& take = connection->Prepare(
      "UPDATE part_number_counters SET next_value = next_value + 1 WHERE prefix = ?1 "
      "RETURNING next_value - 1, width");
  if (!take.BindAll(prefix).Step()) return std::nullopt;
  std::int64_t value = take.Int(0);
  int width = static_cast<int>(take.Int(1));
  transaction.Commit();
  char digits[32];
  std::snprintf(digits, sizeof digits, "%0*lld", width, static_cast<long long>(value));
  return std::string(prefix) + digits;
}

}  // namespace zelgw
