#include "zelgw/PartNumberRepository.h"

#include <cstdio>

namespace zelgw {

IssuedPartNumber PartNumberRepository::Issue(std::string_view prefix) {
  Store::Lease connection = store_.Acquire();
  Transaction transaction(*connection);
  Statement& take = connection->Prepare(
      "UPDATE part_number_counters SET next_value = next_value + 1 "
      "WHERE prefix = ?1 AND length(next_value) <= width RETURNING next_value - 1, width");
  IssuedPartNumber issued;
  if (!take.BindAll(prefix).Step()) {
    take.Reset();
    Statement& exists = connection->Prepare("SELECT count(*) FROM part_number_counters WHERE prefix = ?1");
    exists.BindAll(prefix).Step();
    issued.outcome =
        exists.Int(0) > 0 ? IssuedPartNumber::Outcome::kExhausted : IssuedPartNumber::Outcome::kNoCounter;
    return issued;
  }
  std::int64_t value = take.Int(0);
  int width = static_cast<int>(take.Int(1));
  take.Reset();
  transaction.Commit();
  char digits[32];
  std::snprintf(digits, sizeof digits, "%0*lld", width, static_cast<long long>(value));
  issued.outcome = IssuedPartNumber::Outcome::kIssued;
  issued.number = std::string(prefix) + digits;
  return issued;
}

std::optional<std::string> PartNumberRepository::Next(std::string_view prefix) {
  IssuedPartNumber issued = Issue(prefix);
  if (issued.outcome != IssuedPartNumber::Outcome::kIssued) return std::nullopt;
  return issued.number;
}

}  // namespace zelgw
