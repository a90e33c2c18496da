// Part-number counters, one per prefix, each with the width its numbers are zero-padded to.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "zelgw/Store.h"

namespace zelgw {

class PartNumberRepository {
 public:
  explicit PartNumberRepository(Store& store) : store_(store) {}

  // The next number of the prefix's counter, as the prefix followed by the value zero-padded to the counter's
  // width; nothing when the prefix has no counter. Each number is handed out once, also across threads and
  // processes.
  std::optional<std::string> Next(std::string_view prefix);

 private:
  Store& store_;
};

}  // namespace zelgw
