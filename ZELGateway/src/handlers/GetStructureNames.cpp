// "GetStructureNames": the names of the named structures the PDM keeps for a root part, for the client to
// offer. A part without any gets an empty list, not a refusal: the client tells the user so itself.
#include <string>
#include <vector>

#include "handlers/Handlers.h"
#include "handlers/NamedStructureErrors.h"
#include "handlers/RequestText.h"
#include "zelgw/StructureRepository.h"

namespace zelgw {

void HandleGetStructureNames(const Request& request, Store& store, Reply& reply) {
  std::string partNumber;
  if (!CheckRequiredText(request, "ContextPartNumber", "part number of the root",
                         {kNoContextPartNumber, kStructureTextTooLong, kStructureTextControls}, reply,
                         partNumber)) {
    return;
  }
  // As child items, since a stored name may hold the list separator.
  std::vector<ListItem> names;
  for (std::string& name : StructureRepository(store).NamesFor(partNumber))
    names.push_back({std::move(name)});
  reply.AddList("VboNames", names);
}

}  // namespace zelgw
