// "SendItemRevisionToV6": transfers a PDM revision and the structure below it to 3DEXPERIENCE on behalf of a
// logged-in user. The structure is resolved to the requested depth under the chosen revision rule, the
// transfer is recorded as a process of the user and, when the gateway serves a client's PLM database, written
// into it in one transaction.
//
// Every fault of the request is reported, not just the first: the client shows all texts at once. Texts are
// single lines and quote at most a short, cleaned piece of what was sent, because they end up in a box.
#include <charconv>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "handlers/Credentials.h"
#include "handlers/Handlers.h"
#include "handlers/RequestText.h"
#include "zelgw/PlmDatabase.h"
#include "zelgw/ProcessRepository.h"
#include "zelgw/StructureRepository.h"
#include "zelgw/TransferRepository.h"

namespace zelgw {
namespace {

enum SendError : int {
  kWrongCredentials = 1701,
  kWrongGroup = 1702,
  kWrongRole = 1703,
  kViewerMayNotSend = 1704,
  kNoRevision = 1705,
  kUnknownRevision = 1706,
  kBadExpandLevel = 1707,
  kBadSwitch = 1708,
  kRuleNotOffered = 1709,
  kVariantNotOffered = 1710,
  kBadStructureFilter = 1711,
  kFilterOnlyWithoutName = 1712,
  kStructureTooLarge = 1713,
  kStructureCycle = 1714,
  kNotPlmDatabase = 1715,
  kPlmDatabaseBusy = 1716,
  kPlmDatabaseFailed = 1717,
};

enum SendMessage : int {
  kTransferred = 1781,
  kLinesSkipped = 1782,
  kPlmWritten = 1783,
  kProtectedLeft = 1784,
  kFilterOnly = 1785,
};

// A role that may look at the PDM but not change 3DEXPERIENCE through it.
constexpr std::string_view kViewerRole = "Viewer";
// Names listed in one message; the rest are counted.
constexpr std::size_t kMaxNamesListed = 10;

struct Switch {
  std::string_view attribute;
  std::string_view on;  // the client's spelling; the other value is the same word for false
  std::string_view off;
};
constexpr Switch kForce{"Force", "TRUE", "FALSE"};
constexpr Switch kParallel{"TRANSFER_SUBSTRUCTURES_PARALLEL", "true", "false"};
constexpr Switch kRemoveExisting{"RemoveExistingNotProvided", "TRUE", "FALSE"};
constexpr Switch kTransferLocation{"TransferLoc", "TRUE", "FALSE"};
constexpr Switch kFilterOnlySwitch{"TransferStructureFilterOnly", "TRUE", "FALSE"};
constexpr Switch kSendConfiguration{"SEND_CONFIGURATION", "true", "false"};

struct SendRequest {
  RevisionInfo revision;
  int expandLevel = -1;
  bool force = false;
  bool parallel = false;
  bool removeExisting = false;
  bool transferLocation = false;
  bool filterOnly = false;
  bool sendConfiguration = false;
  std::string ruleName;
  RevisionRule rule = RevisionRule::kPrecise;
  std::string variant;
  std::string structureFilter;
};

class Checker {
 public:
  explicit Checker(Reply& reply) : reply_(reply) {}

  // -1 for all levels, 0 for the revision alone, n for n levels; the client sends an int.
  int ExpandLevel(const RequestAttribute* attribute) {
    constexpr std::string_view kExpected = "-1 (all levels), 0 (the item alone) or a number of levels";
    const std::string text = attribute ? attribute->value : "";
    std::int64_t level = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), level);
    bool whole = !text.empty() && end == text.data() + text.size();
    if (whole &&
        (error == std::errc::result_out_of_range ||
         (error == std::errc() && (level < -1 || level > std::numeric_limits<std::int32_t>::max())))) {
      Refuse(kBadExpandLevel, "The expand level " + QuotedForMessage(text) + " is out of range; it must be " +
                                  std::string(kExpected) + ".");
      return 0;
    }
    if (!whole || error != std::errc()) {
      Refuse(kBadExpandLevel, "The expand level " + QuotedForMessage(text) + " is not a number; it must be " +
                                  std::string(kExpected) + ".");
      return 0;
    }
    return static_cast<int>(level);
  }

  // Absent counts as off; any other spelling is refused rather than guessed, since a switch may delete data
  // in 3DEXPERIENCE.
  bool SwitchValue(const Request& request, const Switch& which) {
    const RequestAttribute* attribute = request.Find(which.attribute);
    if (!attribute || attribute->value == which.off) return false;
    if (attribute->value == which.on) return true;
    Refuse(kBadSwitch, "The option \"" + std::string(which.attribute) + "\" must be \"" +
                           std::string(which.on) + "\" or \"" + std::string(which.off) + "\", not " +
                           QuotedForMessage(attribute->value) + ".");
    return false;
  }

  // Empty, or one of the values the dialog was offered.
  void Offered(const std::string& value, const std::vector<std::string>& offered, int code,
               std::string_view what) {
    if (value.empty()) return;
    for (const std::string& candidate : offered) {
      if (candidate == value) return;
    }
    Refuse(code, "The " + std::string(what) + " " + QuotedForMessage(value) + " is not offered by the PDM.");
  }

  void StructureFilter(const std::string& name) {
    if (name.size() > kMaxRequestTextBytes) {
      Refuse(kBadStructureFilter,
             "The structure filter name is longer than " + std::to_string(kMaxRequestTextBytes) + " bytes.");
    } else if (HasControlCharacter(name)) {
      Refuse(kBadStructureFilter, "The structure filter name " + QuotedForMessage(name) +
                                      " holds line breaks, tabs or other control characters.");
    }
  }

  void Refuse(int code, const std::string& text) {
    reply_.AddError(code, text);
    refused_ = true;
  }
  bool Refused() const { return refused_; }

 private:
  Reply& reply_;
  bool refused_ = false;
};

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

// The request as the handler acts on it; nothing when a refusal was added to the reply.
std::optional<SendRequest> ReadRequest(const Request& request, Store& store, Reply& reply) {
  Checker check(reply);
  SendRequest send;
  TransferRepository transfers(store);
  const std::string obid = request.Value("RevisionObid");
  if (IsBlank(obid)) {
    check.Refuse(kNoRevision, "The request names no revision to send (attribute \"RevisionObid\").");
  } else if (std::optional<RevisionInfo> found;
             obid.size() > kMaxRequestTextBytes || !(found = transfers.FindRevision(obid))) {
    check.Refuse(kUnknownRevision,
                 "The PDM has no revision " + QuotedForMessage(obid) + "; it may have been deleted.");
  } else {
    send.revision = std::move(*found);
  }
  send.expandLevel = check.ExpandLevel(request.Find("ExpandLevel"));
  send.force = check.SwitchValue(request, kForce);
  send.parallel = check.SwitchValue(request, kParallel);
  send.removeExisting = check.SwitchValue(request, kRemoveExisting);
  send.transferLocation = check.SwitchValue(request, kTransferLocation);
  send.filterOnly = check.SwitchValue(request, kFilterOnlySwitch);
  send.sendConfiguration = check.SwitchValue(request, kSendConfiguration);

  SendOptions options = transfers.Options();
  send.ruleName = request.Value("RevisionRule");
  check.Offered(send.ruleName, options.revisionRules, kRuleNotOffered, "revision rule");
  // Without a rule the structure goes as the PDM holds it: each line's own revision.
  send.rule = RevisionRuleNamed(send.ruleName).value_or(RevisionRule::kPrecise);
  send.variant = request.Value("Variant");
  check.Offered(send.variant, options.variants, kVariantNotOffered, "variant");
  send.structureFilter = request.Value("StructureFilter");
  check.StructureFilter(send.structureFilter);
  if (send.filterOnly && IsBlank(send.structureFilter)) {
    check.Refuse(kFilterOnlyWithoutName,
                 "Transferring the structure filter only needs a name for the structure filter.");
  }
  if (check.Refused()) return std::nullopt;
  return send;
}

std::string LevelText(int level) {
  if (level < 0) return "all levels";
  if (level == 0) return "the item alone";
  return std::to_string(level) + (level == 1 ? " level" : " levels");
}

std::string Counted(std::size_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// "a, b, c and 4 more"
std::string NameList(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size() && i < kMaxNamesListed; ++i) text += (i ? ", " : "") + names[i];
  if (names.size() > kMaxNamesListed)
    text += " and " + std::to_string(names.size() - kMaxNamesListed) + " more";
  return text;
}

std::string Description(const SendRequest& send, std::size_t objects, std::size_t instances) {
  const RevisionInfo& root = send.revision;
  std::string text = root.name + " " + root.revision + " (" + root.type + "), " +
                     LevelText(send.expandLevel) + ", " + Counted(objects, "object", "objects") + ", " +
                     Counted(instances, "instance", "instances");
  if (!send.ruleName.empty()) text += ", revision rule " + send.ruleName;
  if (!send.variant.empty()) text += ", variant " + send.variant;
  if (!send.structureFilter.empty()) text += ", structure filter \"" + send.structureFilter + "\"";
  if (send.filterOnly) text += " only";
  if (send.force) text += ", force";
  if (send.removeExisting) text += ", remove existing children";
  if (send.transferLocation) text += ", transfer location of control";
  if (send.parallel) text += ", sub-structures in parallel";
  if (send.sendConfiguration) text += ", with configuration";
  return text;
}

// The occurrences as the PLM database takes them: one object per revision, one line per structure line of
// an expanded revision.
PlmTransfer ToPlmTransfer(const TransferStructure& structure, const SendRequest& send) {
  PlmTransfer transfer;
  transfer.force = send.force;
  transfer.removeExistingNotProvided = send.removeExisting;
  std::vector<std::size_t> objectOf(structure.nodes.size());
  std::map<std::int64_t, std::size_t> objectByRevision;
  std::set<std::pair<std::size_t, std::string>> lines;
  for (std::size_t i = 0; i < structure.nodes.size(); ++i) {
    const TransferNode& node = structure.nodes[i];
    auto [found, added] = objectByRevision.emplace(node.revision.id, transfer.objects.size());
    if (added) {
      const RevisionInfo& revision = node.revision;
      transfer.objects.push_back({revision.itemId,
                                  revision.revision,
                                  revision.name,
                                  revision.description,
                                  revision.owner,
                                  revision.released,
                                  false,
                                  {}});
    }
    objectOf[i] = found->second;
    if (node.expanded) transfer.objects[found->second].expanded = true;
    if (node.parent == static_cast<std::size_t>(-1)) continue;
    std::size_t parent = objectOf[node.parent];
    // A revision occurring twice has the same lines under both occurrences: each is written once.
    if (lines.emplace(parent, node.instanceName).second)
      transfer.lines.push_back({parent, found->second, node.instanceName});
  }
  std::map<std::string, std::size_t> objectByLabel;
  for (std::size_t i = 0; i < transfer.objects.size(); ++i)
    objectByLabel.emplace(transfer.objects[i].externalId + "/" + transfer.objects[i].revision, i);
  for (const SkippedLine& skipped : structure.skipped) {
    auto parent = objectByLabel.find(skipped.parent);
    if (parent != objectByLabel.end())
      transfer.objects[parent->second].keptInstances.push_back(skipped.instanceName);
  }
  return transfer;
}

}  // namespace

void HandleSendItemRevisionToV6(const Request& request, Store& store, Reply& reply) {
  std::optional<UserRecord> user =
      CheckCredentials(request, store, {kWrongCredentials, kWrongGroup, kWrongRole}, reply);
  if (!user) return;
  if (user->role == kViewerRole) {
    reply.AddError(kViewerMayNotSend,
                   "The role " + QuotedForMessage(user->role) +
                       " may not transfer to 3DEXPERIENCE; log in with a designer's role.");
    return;
  }
  std::optional<SendRequest> send = ReadRequest(request, store, reply);
  if (!send) return;

  // A structure filter alone carries no structure, so nothing below the revision is resolved for it.
  TransferStructure structure =
      TransferRepository(store).Resolve(send->revision, send->filterOnly ? 0 : send->expandLevel, send->rule);
  if (structure.outcome == TransferStructure::Outcome::kTooLarge) {
    reply.AddError(kStructureTooLarge, "The structure of " + send->revision.Label() + " is deeper than " +
                                           std::to_string(kMaxStructureDepth) + " levels or has more than " +
                                           std::to_string(kMaxStructureNodes) +
                                           " occurrences; send fewer levels.");
    return;
  }
  if (structure.outcome == TransferStructure::Outcome::kCycle) {
    reply.AddError(kStructureCycle, "The structure of " + send->revision.Label() + " has no end: " +
                                        structure.cycleAt + " contains itself under this revision rule.");
    return;
  }

  PlmTransfer transfer = ToPlmTransfer(structure, *send);
  ProcessRecord process;
  process.user = user->name;
  process.activity = "Transfer to 3DEXPERIENCE";
  process.object = send->revision.Label();
  process.description = Description(*send, transfer.objects.size(), transfer.lines.size());
  process.start = CurrentUtcTime();

  std::optional<PlmWriteResult> written;
  if (!store.PlmDatabasePath().empty() && !send->filterOnly) {
    int code = 0;
    std::string failure;
    try {
      written = PlmDatabase(store.PlmDatabasePath()).Write(transfer);
    } catch (const PlmDatabaseError& error) {
      code = error.kind == PlmDatabaseError::Kind::kNotPlmDatabase ? kNotPlmDatabase
             : error.kind == PlmDatabaseError::Kind::kBusy         ? kPlmDatabaseBusy
                                                                   : kPlmDatabaseFailed;
      failure = error.what();
    }
    if (code != 0) {
      // The attempt is kept, so the user finds it in the process list with its reason.
      process.status = "Failed";
      process.end = CurrentUtcTime();
      process.errorMessage = failure;
      ProcessRepository(store).Add(process);
      reply.AddError(code,
                     code == kNotPlmDatabase
                         ? "The gateway's 3DEXPERIENCE database is missing or is no PLM database; nothing "
                           "was transferred."
                     : code == kPlmDatabaseBusy
                         ? "The 3DEXPERIENCE database is busy; nothing was transferred. Try again."
                         : "The 3DEXPERIENCE database could not be written; nothing was transferred.");
      return;
    }
  }

  process.status = "Finished";
  process.end = CurrentUtcTime();
  std::int64_t id = ProcessRepository(store).Add(process);
  reply.AddAttribute("ProcessId", std::to_string(id));

  const std::string what = send->revision.Label() + " " + send->revision.name;
  if (send->filterOnly) {
    reply.AddMessage(kFilterOnly, "The structure filter \"" + send->structureFilter + "\" of " + what +
                                      " was transferred to 3DEXPERIENCE (process " + std::to_string(id) +
                                      ").");
  } else {
    reply.AddMessage(kTransferred, what + " was transferred to 3DEXPERIENCE (" +
                                       LevelText(send->expandLevel) +
                                       "): " + Counted(transfer.objects.size(), "object", "objects") + ", " +
                                       Counted(transfer.lines.size(), "instance", "instances") +
                                       " (process " + std::to_string(id) + ").");
  }
  if (!structure.skipped.empty()) {
    std::vector<std::string> names;
    for (const SkippedLine& line : structure.skipped)
      names.push_back(line.childItem + " (" + line.instanceName + " in " + line.parent + ")");
    reply.AddMessage(kLinesSkipped,
                     "Not transferred, since no revision is released: " + NameList(names) + ".");
  }
  if (written) {
    reply.AddMessage(kPlmWritten,
                     "3DEXPERIENCE database: " + Counted(written->objectsCreated, "object", "objects") +
                         " created, " + std::to_string(written->objectsUpdated) + " updated; " +
                         Counted(written->instancesCreated, "instance", "instances") + " created, " +
                         std::to_string(written->instancesUpdated) + " updated, " +
                         std::to_string(written->instancesRemoved) + " removed.");
    if (!written->protectedObjects.empty()) {
      reply.AddMessage(kProtectedLeft, "Left unchanged, since they are frozen or released in 3DEXPERIENCE: " +
                                           NameList(written->protectedObjects) +
                                           ". Send with Force to overwrite them.");
    }
  }
}

}  // namespace zelgw
