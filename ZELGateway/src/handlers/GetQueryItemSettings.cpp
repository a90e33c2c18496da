// "GetQueryItemSettings": what the query dialog offers, asked before anyone need be logged in: the item types
// and one row per query attribute over all types (name and display name, same order), since the dialog
// shows one set of rows whatever type is chosen.
#include <string>
#include <vector>

#include "QueryRepository.h"
#include "handlers/Handlers.h"

namespace zelgw {

void HandleGetQueryItemSettings(const Request&, Store& store, Reply& reply) {
  QuerySettings settings = QueryRepository(store).Settings();
  std::vector<ListItem> types, names, labels;
  for (std::string& type : settings.types) types.push_back({std::move(type)});
  for (QueryAttributeInfo& attribute : settings.attributes) {
    // Clients drop empty items, which would shift every later display name onto the wrong attribute.
    if (attribute.name.empty()) continue;
    labels.push_back({attribute.label.empty() ? attribute.name : std::move(attribute.label)});
    names.push_back({std::move(attribute.name)});
  }
  // As child items, since a stored name may hold the list separator.
  reply.AddList("ItemTypeList", types);
  reply.AddList("ItemAttributeNameList", names);
  reply.AddList("ItemAttributeDisplayList", labels);
}

}  // namespace zelgw
