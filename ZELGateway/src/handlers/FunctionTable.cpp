#include <array>

#include "handlers/Handlers.h"

namespace zelgw {
namespace {

// Every function the gateway answers. A function of the client's catalogue that is not listed here is
// answered as unknown.
constexpr std::array kFunctions = {
    FunctionEntry{"Test", &HandleTest},
    FunctionEntry{"GetSettingsInfo", &HandleGetSettingsInfo},
    FunctionEntry{"SendEnoviaObjectToTC", &HandleSendEnoviaObjectToTC},
    FunctionEntry{"GetPartnumber", &HandleGetPartnumber},
    FunctionEntry{"GetStructureNames", &HandleGetStructureNames},
    FunctionEntry{"GetStructureForName", &HandleGetStructureForName},
    FunctionEntry{"GetProcessInfoForUser", &HandleGetProcessInfoForUser},
    FunctionEntry{"Login", &HandleLogin},
    FunctionEntry{"GetQueryItemSettings", &HandleGetQueryItemSettings},
    FunctionEntry{"QueryItemRevision", &HandleQueryItemRevision},
    FunctionEntry{"GetSendTo3DXOptions", &HandleGetSendTo3DXOptions},
    FunctionEntry{"SendItemRevisionToV6", &HandleSendItemRevisionToV6},
    FunctionEntry{"GetPartVersion", &HandleGetPartVersion},
    FunctionEntry{"OpenInPdm", &HandleOpenInPdm},
    FunctionEntry{"GetMetadata", &HandleGetMetadata},
};

}  // namespace

std::span<const FunctionEntry> FunctionTable() {
  return kFunctions;
}

FunctionHandler FindFunction(std::string_view name) {
  for (const FunctionEntry& entry : kFunctions) {
    if (entry.name == name) return entry.handler;
  }
  return nullptr;
}

}  // namespace zelgw
