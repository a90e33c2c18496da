// The gateway's functions: one handler per function, each in its own file, all listed in FunctionTable.cpp.
// A handler reads the parsed request, works on the store and writes the reply; a refusal of the function is
// an "Error" in the reply with a code of kFirstFunctionErrorCode or above. An exception ends the request as
// an internal error.
#pragma once

#include <span>
#include <string_view>

#include "zelgw/Reply.h"
#include "zelgw/Request.h"
#include "zelgw/Store.h"

namespace zelgw {

using FunctionHandler = void (*)(const Request& request, Store& store, Reply& reply);

struct FunctionEntry {
  std::string_view name;
  FunctionHandler handler;
};

std::span<const FunctionEntry> FunctionTable();
// Null when the gateway has no such function; names compare exactly, as clients send them.
FunctionHandler FindFunction(std::string_view name);

void HandleTest(const Request& request, Store& store, Reply& reply);
void HandleGetSettingsInfo(const Request& request, Store& store, Reply& reply);
void HandleSendEnoviaObjectToTC(const Request& request, Store& store, Reply& reply);
void HandleGetPartnumber(const Request& request, Store& store, Reply& reply);
void HandleGetStructureNames(const Request& request, Store& store, Reply& reply);
void HandleGetStructureForName(const Request& request, Store& store, Reply& reply);
void HandleGetProcessInfoForUser(const Request& request, Store& store, Reply& reply);
void HandleLogin(const Request& request, Store& store, Reply& reply);
void HandleGetQueryItemSettings(const Request& request, Store& store, Reply& reply);
void HandleQueryItemRevision(const Request& request, Store& store, Reply& reply);
void HandleGetSendTo3DXOptions(const Request& request, Store& store, Reply& reply);
void HandleSendItemRevisionToV6(const Request& request, Store& store, Reply& reply);
void HandleGetPartVersion(const Request& request, Store& store, Reply& reply);
void HandleOpenInPdm(const Request& request, Store& store, Reply& reply);
void HandleGetMetadata(const Request& request, Store& store, Reply& reply);

}  // namespace zelgw
