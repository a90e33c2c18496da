// Transfers and other background jobs the gateway runs for a user, kept so that the user can look back at
// them: what was done, how it ended, when, and why it failed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zelgw/Store.h"

namespace zelgw {

struct ProcessRecord {
  std::int64_t id = 0;  // given by the store; ignored by Add
  std::string user;
  std::string activity;
  std::string object;  // what the process worked on, as the user names it
  std::string status;
  std::string description;
  std::string start;               // ISO 8601 in UTC, "2024-03-01T09:00:00Z"
  std::optional<std::string> end;  // none while the process runs
  std::string errorMessage;        // empty unless it failed

  bool operator==(const ProcessRecord&) const = default;
};

// A user's list is cut here: a reply of every process a busy user ever ran would grow without end.
inline constexpr std::size_t kMaxListedProcesses = 500;

class ProcessRepository {
 public:
  explicit ProcessRepository(Store& store) : store_(store) {}

  // Records the process and returns its id.
  std::int64_t Add(const ProcessRecord& process);
  std::optional<ProcessRecord> Find(std::int64_t id);
  // The user's processes, newest start first and, within one second, the later recorded first; at most
  // `limit` of them (and never more than kMaxListedProcesses).
  std::vector<ProcessRecord> ListForUser(std::string_view user, std::size_t limit = kMaxListedProcesses);

 private:
  Store& store_;
};

// The current time as the store keeps times: ISO 8601 in UTC with whole seconds.
std::string CurrentUtcTime();

}  // namespace zelgw
