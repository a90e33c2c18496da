// "SendEnoviaObjectToTC": sends a 3DEXPERIENCE object (a product structure, a bookmark or a folder) to the
// PDM and records the transfer as a process of the user, which the process status function lists later. The
// reference gateway has no PDM behind it to wait for, so an accepted transfer is recorded as finished.
//
// Every fault of the request is reported, not just the first: the client shows all texts at once, so the
// user can correct everything in one go. Texts are single lines and quote at most a short, cleaned piece of
// what was sent, because they end up in a message box.
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "handlers/Handlers.h"
#include "handlers/RequestText.h"
#include "zelgw/ProcessRepository.h"

namespace zelgw {
namespace {

enum SendError : int {
  kNoUser = 1001,
  kNoType = 1002,
  kNoName = 1003,
  kTextTooLong = 1004,
  kControlCharacters = 1005,
  kUnknownTransferType = 1006,
  kBadExpandLevel = 1007,
  kBadFlag = 1008,
};

struct TransferKind {
  std::string_view name;   // as the client sends it
  std::string_view label;  // how the process description names what was sent
  std::string_view onlyContainer;
};
constexpr TransferKind kTransferKinds[] = {
    {"VPMReference", "Product structure", "container only"},
    {"Bookmark", "Bookmark", "bookmark only"},
    {"Folder", "Folder", "folder only"},
};

struct Flag {
  std::string_view attribute;
  std::string_view description;  // how the process description names it when on
};
constexpr Flag kForce{"force", "force"};
constexpr Flag kRemoveExisting{"remove_existing", "remove existing children"};
constexpr Flag kSendConfiguration{"send_configuration", "with configuration"};
constexpr Flag kFolderOnly{"folder_only", ""};  // named by the transfer kind
constexpr Flag kParallel{"TRANSFER_SUBSTRUCTURES_PARALLEL", "sub-structures in parallel"};
constexpr Flag kFlags[] = {kForce, kRemoveExisting, kSendConfiguration, kFolderOnly, kParallel};

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

class Checker {
 public:
  explicit Checker(Reply& reply) : reply_(reply) {}

  // A text of the object or the user; `what` names it for the user.
  void Text(std::string_view value, std::string_view what, int missingCode) {
    if (missingCode != 0 && IsBlank(value)) {
      Refuse(missingCode, "The request names no " + std::string(what) + ".");
    } else if (value.size() > kMaxRequestTextBytes) {
      Refuse(kTextTooLong, "The " + std::string(what) + " is longer than " +
                               std::to_string(kMaxRequestTextBytes) + " bytes.");
    } else if (HasControlCharacter(value)) {
      Refuse(kControlCharacters, "The " + std::string(what) + " " + QuotedForMessage(value) +
                                     " holds line breaks, tabs or other control characters.");
    }
  }

  const TransferKind* TransferType(const RequestAttribute* attribute) {
    for (const TransferKind& kind : kTransferKinds) {
      if (attribute && attribute->value == kind.name) return &kind;
    }
    std::string expected = "it must be VPMReference, Bookmark or Folder.";
    if (!attribute || attribute->value.empty()) {
      Refuse(kUnknownTransferType, "The request names no transfer type; " + expected);
    } else {
      Refuse(kUnknownTransferType,
             "The transfer type " + QuotedForMessage(attribute->value) + " is unknown; " + expected);
    }
    return nullptr;
  }

  // -1 for all levels, 0 for the object alone, n for n levels; the client sends an int.
  int ExpandLevel(const RequestAttribute* attribute) {
    constexpr std::string_view kExpected = "-1 (all levels), 0 (no children) or a number of levels";
    if (!attribute || attribute->value.empty()) {
      Refuse(kBadExpandLevel,
             "The request gives no expand level; it must be " + std::string(kExpected) + ".");
      return 0;
    }
    const std::string& text = attribute->value;
    std::int64_t level = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), level);
    if (error == std::errc::result_out_of_range ||
        (error == std::errc() && end == text.data() + text.size() &&
         (level < -1 || level > std::numeric_limits<std::int32_t>::max()))) {
      Refuse(kBadExpandLevel, "The expand level " + QuotedForMessage(text) + " is out of range; it must be " +
                                  std::string(kExpected) + ".");
      return 0;
    }
    if (error != std::errc() || end != text.data() + text.size()) {
      Refuse(kBadExpandLevel, "The expand level " + QuotedForMessage(text) + " is not a number; it must be " +
                                  std::string(kExpected) + ".");
      return 0;
    }
    return static_cast<int>(level);
  }

  // Absent counts as off; anything but "true" or "false" is refused rather than guessed, since some flags
  // delete data in the PDM.
  bool FlagValue(const Request& request, const Flag& flag) {
    const RequestAttribute* attribute = request.Find(flag.attribute);
    if (!attribute || attribute->value == "false") return false;
    if (attribute->value == "true") return true;
    Refuse(kBadFlag, "The option \"" + std::string(flag.attribute) +
                         "\" must be \"true\" or \"false\", not " + QuotedForMessage(attribute->value) + ".");
    return false;
  }

  bool Refused() const { return refused_; }

 private:
  void Refuse(int code, const std::string& text) {
    reply_.AddError(code, text);
    refused_ = true;
  }

  Reply& reply_;
  bool refused_ = false;
};

std::string LevelText(int level) {
  if (level < 0) return "all levels";
  if (level == 0) return "no children";
  return std::to_string(level) + (level == 1 ? " level" : " levels");
}

}  // namespace

void HandleSendEnoviaObjectToTC(const Request& request, Store& store, Reply& reply) {
  std::string user = request.Value("user");
  std::string type = request.Value("type");
  std::string name = request.Value("name");
  std::string revision = request.Value("revision");

  Checker check(reply);
  check.Text(user, "user", kNoUser);
  check.Text(type, "object type", kNoType);
  check.Text(name, "object name", kNoName);
  check.Text(revision, "revision", 0);
  const TransferKind* kind = check.TransferType(request.Find("transfer_type"));
  int level = check.ExpandLevel(request.Find("expand_level"));
  std::vector<std::string_view> options;
  for (const Flag& flag : kFlags) {
    if (!check.FlagValue(request, flag)) continue;
    options.push_back(flag.attribute == kFolderOnly.attribute && kind ? kind->onlyContainer
                                                                      : flag.description);
  }
  if (check.Refused()) return;

  std::string object = revision.empty() ? name : name + " " + revision;
  std::string description = std::string(kind->label) + " " + object + " (" + type + "), " + LevelText(level);
  for (std::string_view option : options) description += ", " + std::string(option);

  ProcessRecord process;
  process.user = user;
  process.activity = "Send to PDM";
  process.object = revision.empty() ? name : name + "/" + revision;
  process.status = "Finished";
  process.description = description;
  process.start = CurrentUtcTime();
  process.end = process.start;
  std::int64_t id = ProcessRepository(store).Add(process);

  reply.AddAttribute("ProcessId", std::to_string(id));
  reply.AddMessage(0, object + " (" + type + ") was sent to the PDM as process " + std::to_string(id) + ".");
}

}  // namespace zelgw
