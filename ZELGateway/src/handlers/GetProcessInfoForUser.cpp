// "GetProcessInfoForUser": the processes the gateway ran for a user (transfers and other jobs), newest first,
// one "PD" element each inside "Processes", with every field the client's process list shows. Values go out
// as stored; a process still running has an empty end.
#include <string>

#include "handlers/Handlers.h"
#include "handlers/RequestText.h"
#include "zelgw/ProcessRepository.h"

namespace zelgw {
namespace {

enum ProcessInfoError : int {
  kNoUser = 1301,
  kUserTooLong = 1302,
  kUserControls = 1303,
};

}  // namespace

void HandleGetProcessInfoForUser(const Request& request, Store& store, Reply& reply) {
  std::string user;
  if (!CheckRequiredText(request, "USER", "user", {kNoUser, kUserTooLong, kUserControls}, reply, user))
    return;
  pugi::xml_node list = reply.Response().append_child("Processes");
  for (const ProcessRecord& process : ProcessRepository(store).ListForUser(user)) {
    pugi::xml_node element = list.append_child("PD");
    SetXmlAttribute(element, "Activity", process.activity);
    SetXmlAttribute(element, "Status", process.status);
    SetXmlAttribute(element, "Description", process.description);
    SetXmlAttribute(element, "Start", process.start);
    SetXmlAttribute(element, "End", process.end.value_or(""));
    SetXmlAttribute(element, "User", process.user);
    SetXmlAttribute(element, "ErrorMsg", process.errorMessage);
  }
}

}  // namespace zelgw
