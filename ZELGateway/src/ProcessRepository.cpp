#include "zelgw/ProcessRepository.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace zelgw {
namespace {

constexpr const char* kColumns =
    "id, user_name, activity, object, state, description, started, finished, message";

ProcessRecord ReadProcess(const Statement& row) {
  ProcessRecord process;
  process.id = row.Int(0);
  process.user = row.Text(1);
  process.activity = row.Text(2);
  process.object = row.Text(3);
  process.status = row.Text(4);
  process.description = row.Text(5);
  process.start = row.Text(6);
  if (!row.IsNull(7)) process.end = row.Text(7);
  process.errorMessage = row.Text(8);
  return process;
}

}  // namespace

std::int64_t ProcessRepository::Add(const ProcessRecord& process) {
  Store::Lease connection = store_.Acquire();
  Statement& insert = connection->Prepare(
      "INSERT INTO processes (user_name, activity, object, state, description, started, finished, message) "
      "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
  insert.BindAll(process.user, process.activity, process.object, process.status, process.description,
                 process.start);
  if (process.end) {
    insert.Bind(7, *process.end);
  } else {
    insert.Bind(7, nullptr);
  }
  insert.Bind(8, process.errorMessage).Run();
  return connection->LastInsertId();
}

std::optional<ProcessRecord> ProcessRepository::Find(std::int64_t id) {
  Store::Lease connection = store_.Acquire();
  Statement& find = connection->Prepare(std::string("SELECT ") + kColumns + " FROM processes WHERE id = ?1");
  if (!find.BindAll(id).Step()) return std::nullopt;
  return ReadProcess(find);
}

std::vector<ProcessRecord> ProcessRepository::ListForUser(std::string_view user, std::size_t limit) {
  limit = std::min(limit, kMaxListedProcesses);
  std::vector<ProcessRecord> processes;
  if (limit == 0) return processes;
  Store::Lease connection = store_.Acquire();
  Statement& list = connection->Prepare(std::string("SELECT ") + kColumns +
                                        " FROM processes WHERE user_name = ?1 "
                                        "ORDER BY started DESC, id DESC LIMIT ?2");
  list.BindAll(user, static_cast<std::int64_t>(limit));
  while (list.Step()) processes.push_back(ReadProcess(list));
  return processes;
}

std::string CurrentUtcTime() {
  std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

}  // namespace zelgw
