#include "HtmlRequestSettings.h"

#include <climits>
#include <cstdint>
#include <string>

#include "CATDecimalReader.h"
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

size_t HtmlRequestSettings::GetMaxReplySize() {
  const char* value = CATGetEnv("ZEL_SERVER_MAX_REPLY_SIZE");
  long long bytes = 0;
  constexpr long long kLargest = SIZE_MAX < LLONG_MAX ? static_cast<long long>(SIZE_MAX) : LLONG_MAX;
  if (!value || CATReadDecimal(value, 1, kLargest, bytes) != CATDecimalResult::OK)
    return kDefaultMaxReplySize;
  return static_cast<size_t>(bytes);
}

int HtmlRequestSettings::ReadNumber(const CATUnicodeString& text, long long& value) {
  // Blanks around the number pass, as they do for "%d".
  long long number = 0;
  if (CATReadDecimal(text.Strip().GetUTF16(), INT_MIN, INT_MAX, number, CATDecimalSign::Any) !=
      CATDecimalResult::OK)
    return 0;
  value = number;
  return 1;
}
