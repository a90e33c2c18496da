#include "HtmlRequestSettings.h"

#include <charconv>
#include <climits>
#include <string>

#include "CATLib.h"
#include "CATSysSettingRepository.h"

CATUnicodeString HtmlRequestSettings::GetServerUrl() {
  for (const char* variable : {"ZEL_SERVER_URL", "ZEL_SERVERURL"}) {
    const char* value = CATGetEnv(variable);
    if (value && *value) return CATUnicodeString(value);
  }
  CATUnicodeString url;
  if (CATSettingRepository::ExistsRepository("ZELOptions")) {
    CATSettingRepository* options = CATSettingRepository::GetRepository("ZELOptions");
    if (options) {
      if (FAILED(options->ReadSetting("ServerUrl", url))) url.Clear();
      options->Release();
    }
  }
  return url;
}

HtmlRequestSettings::Address HtmlRequestSettings::ParseServerUrl(const CATUnicodeString& url) {
  Address address;
  CATUnicodeString rest = url;
  // Only a leading scheme counts: "http://" further on belongs to the path and must not be cut out.
  const CATUnicodeString lower = url.ToLowerCopy();
  int defaultPort = 80;
  if (lower.SearchSubString("http://") == 0) {
    rest = url.SubString(7, url.GetLengthInChar() - 7);
  } else if (lower.SearchSubString("https://") == 0) {
    rest = url.SubString(8, url.GetLengthInChar() - 8);
    defaultPort = 443;
    address.secure = 1;
  }

  CATUnicodeString path;
  const int slash = rest.SearchSubString("/");
  if (slash >= 0) {
    path = rest.SubString(slash + 1, rest.GetLengthInChar() - slash - 1);
    rest = rest.SubString(0, slash);
  }
  address.target = "/";
  address.target += path;
  if (!path.IsNull() && path[path.GetLengthInChar() - 1] != u'/') address.target += "/";
  address.target += "ZELRequest";

  address.host = rest;
  address.port = defaultPort;
  const int colon = rest.SearchSubString(":");
  if (colon >= 0) {
    address.host = rest.SubString(0, colon);
    long long port = 0;
    // A port the connection cannot take (0, negative, above 65535) reads like one that is not a number.
    if (ReadNumber(rest.SubString(colon + 1, rest.GetLengthInChar() - colon - 1), port) && port > 0 &&
        port <= 65535)
      address.port = static_cast<int>(port);
  }
  return address;
}

int HtmlRequestSettings::GetTimeout(const char* variable, int defaultSeconds) {
  long long seconds = defaultSeconds;
  const char* value = CATGetEnv(variable);
  long long read = 0;
  // A negative limit would make the HTTP layer refuse all four limits together, so it keeps the default.
  if (value && *value && ReadNumber(CATUnicodeString(value), read) && read >= 0) seconds = read;
  return seconds > INT_MAX / 1000 ? INT_MAX : static_cast<int>(seconds * 1000);
}

int HtmlRequestSettings::ReadNumber(const CATUnicodeString& text, long long& value) {
  const std::string digits = text.ConvertToUTF8();
  size_t begin = 0;
  size_t end = digits.size();
  while (begin < end && (digits[begin] == ' ' || digits[begin] == '\t')) ++begin;
  while (end > begin && (digits[end - 1] == ' ' || digits[end - 1] == '\t')) --end;
  if (end - begin > 1 && digits[begin] == '+' && digits[begin + 1] != '-') ++begin;
  if (begin == end) return 0;
  long long number = 0;
  const auto result = std::from_chars(digits.data() + begin, digits.data() + end, number);
  if (result.ec != std::errc() || result.ptr != digits.data() + end) return 0;
  if (number < INT_MIN || number > INT_MAX) return 0;
  value = number;
  return 1;
}
