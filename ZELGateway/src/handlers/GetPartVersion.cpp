// "GetPartVersion": a logged-in user asks the PDM to deliver the last revision of an item, with every level
// of its structure, to 3DEXPERIENCE. The delivery is recorded as one of the user's processes, and the reply
// tells the user in messages which revision goes and under which process.
#include <string>

#include "PartVersionRepository.h"
#include "handlers/Credentials.h"
#include "handlers/Handlers.h"
#include "handlers/RequestText.h"
#include "zelgw/ProcessRepository.h"

namespace zelgw {
namespace {

enum PartVersionError : int {
  kWrongCredentials = 1901,
  kWrongGroup = 1902,
  kWrongRole = 1903,
  kNoPartNumber = 1904,
  kTextTooLong = 1905,
  kControlCharacters = 1906,
  kUnknownRevisionRule = 1907,
  kUnknownLevel = 1908,
  kUnknownPart = 1909,
};

// The only revision rule and level the PDM delivers by: the newest revision, the whole structure.
constexpr std::string_view kLastRevision = "ZEL_LAST";
constexpr std::string_view kAllLevels = "ALL";

// The session's current revision is optional, but when given it ends up in a message line.
bool CheckOptionalText(const Request& request, std::string_view attribute, std::string_view what,
                       Reply& reply, std::string& value) {
  value = request.Value(attribute);
  if (value.size() > kMaxRequestTextBytes) {
    reply.AddError(kTextTooLong, "The " + std::string(what) + " is longer than " +
                                     std::to_string(kMaxRequestTextBytes) + " bytes.");
    return false;
  }
  if (HasControlCharacter(value)) {
    reply.AddError(kControlCharacters, "The " + std::string(what) + " " + QuotedForMessage(value) +
                                           " holds line breaks, tabs or other control characters.");
    return false;
  }
  return true;
}

}  // namespace

void HandleGetPartVersion(const Request& request, Store& store, Reply& reply) {
  std::optional<UserRecord> user =
      CheckCredentials(request, store, {kWrongCredentials, kWrongGroup, kWrongRole}, reply);
  if (!user) return;
  std::string partNumber, version;
  if (!CheckRequiredText(request, "PartNumber", "part number",
                         {kNoPartNumber, kTextTooLong, kControlCharacters}, reply, partNumber) ||
      !CheckOptionalText(request, "Version", "current revision", reply, version)) {
    return;
  }
  const std::string rule = request.Value("TC_Revision");
  if (rule != kLastRevision) {
    reply.AddError(kUnknownRevisionRule, "The PDM delivers by the revision rule \"ZEL_LAST\" only, not by " +
                                             QuotedForMessage(rule) + ".");
    return;
  }
  const std::string level = request.Value("Level");
  if (level != kAllLevels) {
    reply.AddError(kUnknownLevel,
                   "The PDM delivers all levels (\"ALL\") only, not " + QuotedForMessage(level) + ".");
    return;
  }
  std::optional<PartRevision> last = PartVersionRepository(store).Latest(partNumber);
  if (!last) {
    reply.AddError(kUnknownPart, "The PDM has no item " + QuotedForMessage(partNumber) + ".");
    return;
  }

  const std::string object = last->itemId + "/" + last->revision;
  ProcessRecord process;
  process.user = user->name;
  process.activity = "Get last version";
  process.object = object;
  process.status = "Finished";
  process.description = last->name + " " + last->revision + ", all levels";
  process.start = CurrentUtcTime();
  process.end = process.start;
  const std::int64_t id = ProcessRepository(store).Add(process);

  reply.AddAttribute("ProcessId", std::to_string(id));
  std::string found = "The last version of " + last->itemId + " in the PDM is revision " + last->revision +
                      " (" + last->name + ", " + last->status + ")";
  if (version == last->revision)
    found += "; the session holds it already.";
  else if (!version.empty())
    found += "; the session holds revision " + version + ".";
  else
    found += ".";
  reply.AddMessage(0, found);
  // The process id stays out of the text: the user finds the delivery in the process status by its object.
  reply.AddMessage(0, "The PDM delivers " + object +
                          " with all levels of its structure to 3DEXPERIENCE; the process status shows its "
                          "progress.");
}

}  // namespace zelgw
