// "GetStructureForName": one named structure of a root part as a tree of "O" elements, "pn" the part number
// and "in" the instance name under the parent, inside one "ZELNamedStructure"; the root's "in" is its own
// part number. The client hides every branch of its product that the tree lacks, so a structure is sent whole
// or refused, never cut.
#include <string>
#include <vector>

#include "handlers/Handlers.h"
#include "handlers/NamedStructureErrors.h"
#include "handlers/RequestText.h"
#include "zelgw/StructureRepository.h"

namespace zelgw {

void HandleGetStructureForName(const Request& request, Store& store, Reply& reply) {
  const TextRefusals partCodes{kNoContextPartNumber, kStructureTextTooLong, kStructureTextControls};
  const TextRefusals nameCodes{kNoStructureName, kStructureTextTooLong, kStructureTextControls};
  std::string partNumber, name;
  bool fit = CheckRequiredText(request, "ContextPartNumber", "part number of the root", partCodes, reply,
                               partNumber);
  fit = CheckRequiredText(request, "VboName", "structure name", nameCodes, reply, name) && fit;
  if (!fit) return;

  NamedStructureLookup lookup = StructureRepository(store).Find(partNumber, name);
  std::string named = "The named structure " + QuotedForMessage(name) + " of " + QuotedForMessage(partNumber);
  switch (lookup.outcome) {
    case NamedStructureLookup::Outcome::kFound:
      break;
    case NamedStructureLookup::Outcome::kUnknown:
      reply.AddError(kUnknownStructure, named + " does not exist in the PDM.");
      return;
    case NamedStructureLookup::Outcome::kTooLarge:
      reply.AddError(kStructureTooLarge, named + " has more than " + std::to_string(kMaxStructureNodes) +
                                             " entries or " + std::to_string(kMaxStructureDepth) +
                                             " levels and cannot be sent.");
      return;
    case NamedStructureLookup::Outcome::kCycle:
      reply.AddError(kStructureCycle,
                     named + " is damaged: " + QuotedForMessage(lookup.cycleAt) + " contains itself.");
      return;
  }

  // The nodes come depth first, so the open elements form a path from the root.
  std::vector<pugi::xml_node> path = {reply.Response().append_child("ZELNamedStructure")};
  for (const StructureNode& node : lookup.nodes) {
    path.resize(node.depth + 1);
    pugi::xml_node element = path.back().append_child("O");
    SetXmlAttribute(element, "pn", node.partNumber);
    SetXmlAttribute(element, "in", node.instanceName);
    path.push_back(element);
  }
}

}  // namespace zelgw
