// "OpenInPdm": which PDM object stands for a 3DEXPERIENCE component, so that the client can open it in the
// PDM's own client. No credentials: the PDM client asks for its own login. The reply carries what each
// edition builds its address from: "Id" and "Type" (Aras), "Id" (Teamcenter), "PartNo" and "TIndex" (CIM
// Database). A revision that is not the item's last one comes with a message the client asks the user to
// confirm (codes 90000 to 99999 mean "ask before going on").
#include <string>

#include "PartVersionRepository.h"
#include "handlers/Handlers.h"
#include "handlers/RequestText.h"

namespace zelgw {
namespace {

enum OpenInPdmError : int {
  kNoPartNumber = 2001,
  kTextTooLong = 2002,
  kControlCharacters = 2003,
  kUnknownPart = 2004,
  kUnknownRevision = 2005,
};

enum OpenInPdmMessage : int {
  kNotLastRevision = 90001,
};

}  // namespace

void HandleOpenInPdm(const Request& request, Store& store, Reply& reply) {
  std::string partNumber;
  if (!CheckRequiredText(request, "PartNumber", "part number",
                         {kNoPartNumber, kTextTooLong, kControlCharacters}, reply, partNumber)) {
    return;
  }
  const std::string revision = request.Value("Revision");
  if (revision.size() > kMaxRequestTextBytes) {
    reply.AddError(kTextTooLong,
                   "The revision is longer than " + std::to_string(kMaxRequestTextBytes) + " bytes.");
    return;
  }
  if (HasControlCharacter(revision)) {
    reply.AddError(kControlCharacters, "The revision " + QuotedForMessage(revision) +
                                           " holds line breaks, tabs or other control characters.");
    return;
  }
  PartVersionRepository revisions(store);
  std::optional<PartRevision> last = revisions.Latest(partNumber);
  if (!last) {
    reply.AddError(kUnknownPart, "The PDM has no item " + QuotedForMessage(partNumber) + ".");
    return;
  }
  // Without a revision the client means whatever the PDM holds last.
  std::optional<PartRevision> found = revision.empty() ? last : revisions.Find(partNumber, revision);
  if (!found) {
    reply.AddError(kUnknownRevision, "The PDM has no revision " + QuotedForMessage(revision) + " of " +
                                         QuotedForMessage(partNumber) + ".");
    return;
  }
  reply.AddAttribute("Id", found->obid);
  reply.AddAttribute("Type", found->type);
  reply.AddAttribute("PartNo", found->itemId);
  reply.AddAttribute("TIndex", found->revision);
  if (found->obid != last->obid) {
    reply.AddMessage(kNotLastRevision, found->itemId + "/" + found->revision +
                                           " is not the last revision in the PDM: " + last->revision +
                                           " is newer.");
  }
}

}  // namespace zelgw
