#include "CATSettingAdmin.h"

#include <fstream>
#include <sstream>
#include <string>

#include "CATLib.h"
#include "CATSysSettingRepository.h"

namespace {

// The same directory the settings repositories use.
std::string SettingDirectory() {
  const char* configured = CATGetEnv("CATUserSettingPath");
  if (configured && *configured) return configured;
  const char* home = CATGetEnv("HOME");
  return home && *home ? std::string(home) + "/.config/zel/settings" : std::string();
}

bool IsValidName(const char* name) {
  if (!name || !*name) return false;
  const std::string text = name;
  return text.find('/') == std::string::npos && text.find("..") == std::string::npos &&
         text.find('=') == std::string::npos && text.find('\n') == std::string::npos;
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

HRESULT CATSettingAdmin::GetInfo(const char* repository, const char* attribute, CATSettingInfo& info) {
  info = CATSettingInfo();
  if (!IsValidName(repository) || !IsValidName(attribute)) return E_INVALIDARG;
  info.repository = repository;
  info.attribute = attribute;
  const std::string directory = SettingDirectory();
  if (directory.empty()) return S_OK;
  std::ifstream in(directory + "/" + repository + ".CATSettingsAdmin", std::ios::binary);
  if (!in) return S_OK;
  std::string content(kMaxFileBytes + 1, '\0');
  in.read(content.data(), static_cast<std::streamsize>(content.size()));
  if (static_cast<size_t>(in.gcount()) > kMaxFileBytes) return S_OK;
  content.resize(static_cast<size_t>(in.gcount()));

  std::istringstream lines(content);
  for (std::string line; std::getline(lines, line);) {
    line = Trimmed(line);
    if (line.empty() || line[0] == '#') continue;
    if (line.compare(0, 5, "lock ") == 0) {
      if (Trimmed(line.substr(5)) == attribute) info.locked = 1;
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos || Trimmed(line.substr(0, equals)) != attribute) continue;
    info.hasAdminValue = 1;
    info.adminValue = CATUnicodeString(Trimmed(line.substr(equals + 1)).c_str());
  }
  return S_OK;
}

HRESULT CATSettingAdmin::ResetAttribute(const char* repository, const char* attribute) {
  CATSettingInfo info;
  HRESULT hr = GetInfo(repository, attribute, info);
  if (FAILED(hr)) return hr;
  CATSysSettingRepository* settings = CATSysSettingRepository::GetRepository(repository);
  if (!settings) return E_FAIL;
  hr = info.hasAdminValue ? settings->WriteAttr(attribute, info.adminValue)
                          : settings->RemoveAttribute(attribute);
  settings->Release();
  // An attribute that was never set is already as the administrator left it.
  return SUCCEEDED(hr) || !info.hasAdminValue ? S_OK : hr;
}
