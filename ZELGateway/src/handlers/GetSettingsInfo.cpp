// "GetSettingsInfo": the switches of the transfer command. Clients look for the elements
// "Show3DXSendConfigurationEnabled" and "UseBookmark" anywhere in the reply and take a switch as on only when
// exactly one such element says "true", so each is written once, always, as "true" or "false".
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "handlers/Handlers.h"
#include "zelgw/SettingRepository.h"

namespace zelgw {
namespace {

constexpr std::string_view kFunction = "GetSettingsInfo";
constexpr std::array<std::string_view, 2> kSwitches = {"Show3DXSendConfigurationEnabled", "UseBookmark"};

bool IsOn(const std::optional<std::string>& stored) {
  if (!stored || stored->size() != 4) return false;
  std::string lower;
  for (char c : *stored) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return lower == "true";
}

}  // namespace

void HandleGetSettingsInfo(const Request&, Store& store, Reply& reply) {
  SettingRepository settings(store);
  for (std::string_view name : kSwitches) {
    // A missing or unreadable setting is off, as the client would read a missing element.
    bool on = IsOn(settings.Get(kFunction, name));
    pugi::xml_node element = reply.Response().append_child(std::string(name).c_str());
    SetXmlAttribute(element, "value", on ? "true" : "false");
  }
}

}  // namespace zelgw
