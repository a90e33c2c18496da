// Per-function switches and values the gateway answers with, by function name and key.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "zelgw/Store.h"

namespace zelgw {

class SettingRepository {
 public:
  explicit SettingRepository(Store& store) : store_(store) {}

  std::optional<std::string> Get(std::string_view function, std::string_view key);
  void Put(std::string_view function, std::string_view key, std::string_view value);

 private:
  Store& store_;
};

}  // namespace zelgw
