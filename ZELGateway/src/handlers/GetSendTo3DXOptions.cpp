// "GetSendTo3DXOptions": what the send-to-3DEXPERIENCE dialog offers for a revision a logged-in user picked:
// the revision rules (the default one flagged), the variants, and whether the variant configuration may be
// sent. The dialog is only opened after this answer, so a revision the PDM does not know is refused here.
#include <string>
#include <vector>

#include "handlers/Credentials.h"
#include "handlers/Handlers.h"
#include "handlers/RequestText.h"
#include "zelgw/TransferRepository.h"

namespace zelgw {
namespace {

enum OptionsError : int {
  kWrongCredentials = 1601,
  kWrongGroup = 1602,
  kWrongRole = 1603,
  kNoRevision = 1604,
  kUnknownRevision = 1605,
};

}  // namespace

void HandleGetSendTo3DXOptions(const Request& request, Store& store, Reply& reply) {
  if (!CheckCredentials(request, store, {kWrongCredentials, kWrongGroup, kWrongRole}, reply)) return;
  const std::string obid = request.Value("RevisionObid");
  if (obid.find_first_not_of(' ') == std::string::npos) {
    reply.AddError(kNoRevision, "The request names no revision to send (attribute \"RevisionObid\").");
    return;
  }
  TransferRepository transfers(store);
  if (obid.size() > kMaxRequestTextBytes || !transfers.FindRevision(obid)) {
    reply.AddError(kUnknownRevision, "The PDM has no revision " + QuotedForMessage(obid) +
                                         "; it may have been deleted. Query the item again.");
    return;
  }
  SendOptions options = transfers.Options();
  std::vector<ListItem> rules;
  for (const std::string& rule : options.revisionRules)
    rules.push_back({rule, rule == options.defaultRevisionRule});
  reply.AddList("RevisionRule", rules);
  std::vector<ListItem> variants;
  for (const std::string& variant : options.variants) variants.push_back({variant, false});
  reply.AddList("Variant", variants);
  // Clients take the switch as on only when exactly one such element says "true", so it is written once.
  pugi::xml_node element = reply.Response().append_child("ShowPdmSendConfigurationEnabled");
  SetXmlAttribute(element, "value", options.sendConfigurationEnabled ? "true" : "false");
}

}  // namespace zelgw
