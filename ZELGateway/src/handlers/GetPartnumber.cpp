// "GetPartnumber": the next part number of the PDM for a component the client renumbers. The client decides
// which components may be renumbered (its own prefix and maturity rules); the gateway only issues numbers,
// from the counter of the prefix its settings name, each number once.
#include <string>

#include "handlers/Handlers.h"
#include "handlers/RequestText.h"
#include "zelgw/PartNumberRepository.h"
#include "zelgw/SettingRepository.h"

namespace zelgw {
namespace {

enum PartNumberError : int {
  kNoPartNumber = 1101,
  kPartNumberTooLong = 1102,
  kPartNumberControls = 1103,
  kNoCounter = 1104,
  kCounterExhausted = 1105,
};

constexpr const char* kFunction = "GetPartnumber";

}  // namespace

void HandleGetPartnumber(const Request& request, Store& store, Reply& reply) {
  // The number being replaced is checked although only the client uses it: it names what the user renumbers.
  std::string current;
  if (!CheckRequiredText(request, "PartNumber", "current part number",
                         {kNoPartNumber, kPartNumberTooLong, kPartNumberControls}, reply, current)) {
    return;
  }
  std::string prefix = SettingRepository(store).Get(kFunction, "Prefix").value_or("");
  if (prefix.empty()) {
    reply.AddError(kNoCounter, "The PDM has no part-number prefix configured.");
    return;
  }
  IssuedPartNumber issued = PartNumberRepository(store).Issue(prefix);
  switch (issued.outcome) {
    case IssuedPartNumber::Outcome::kIssued:
      reply.AddAttribute("PartNumber", issued.number);
      return;
    case IssuedPartNumber::Outcome::kNoCounter:
      reply.AddError(kNoCounter,
                     "The PDM has no part-number counter for the prefix " + QuotedForMessage(prefix) + ".");
      return;
    case IssuedPartNumber::Outcome::kExhausted:
      reply.AddError(kCounterExhausted, "The part numbers of the prefix " + QuotedForMessage(prefix) +
                                            " are used up; the PDM administrator must set up a new prefix.");
      return;
  }
}

}  // namespace zelgw
