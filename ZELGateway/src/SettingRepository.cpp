#include "zelgw/SettingRepository.h"

namespace zelgw {

std::optional<std::string> SettingRepository::Get(std::string_view function, std::string_view key) {
  Store::Lease connection = store_.Acquire();
  Statement& find = connection->Prepare("SELECT value FROM settings WHERE function = ?1 AND key = ?2");
  if (!find.BindAll(function, key).Step()) return std::nullopt;
  return find.Text(0);
}

void SettingRepository::Put(std::string_view function, std::string_view key, std::string_view value) {
  Store::Lease connection = store_.Acquire();
  connection
      ->Prepare(
          "INSERT INTO settings (function, key, value) VALUES (?1, ?2, ?3) "
          "ON CONFLICT (function, key) DO UPDATE SET value = ?3")
      .BindAll(function, key, value)
      .Run();
}

}  // namespace zelgw
