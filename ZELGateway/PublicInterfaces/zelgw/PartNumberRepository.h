// Part-number counters, one per prefix, each with the width its numbers are zero-padded to.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "zelgw/Store.h"

namespace zelgw {

struct IssuedPartNumber {
  enum class Outcome {
    kIssued,
    kNoCounter,  // the prefix has no counter
    kExhausted,  // the next value no longer fits the counter's width
  };
  Outcome outcome = Outcome::kNoCounter;
  std::string number;  // set when issued
};

class PartNumberRepository {
 public:
  explicit PartNumberRepository(Store& store) : store_(store) {}

  // The next number of the prefix's counter, as the prefix followed by the value zero-padded to the counter's
  // width. Each number is handed out once, also across threads and processes, and the counter is on disk
  // before the number leaves. A counter stops at the last value of its width, so all its numbers keep one
  // length.
  IssuedPartNumber Issue(std::string_view prefix);
  // The issued number; nothing when the prefix has no counter or the counter is exhausted.
  std::optional<std::string> Next(std::string_view prefix);

 private:
  Store& store_;
};

}  // namespace zelgw
