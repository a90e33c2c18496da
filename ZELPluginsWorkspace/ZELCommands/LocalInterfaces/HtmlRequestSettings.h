#ifndef HtmlRequestSettings_h
#define HtmlRequestSettings_h
// Where the gateway is, how long to wait for it and how much of its reply to take, as the environment and
// the settings say at the time of a call. Kept apart from the exchange so that the rules can be checked
// without a server.
#include <cstddef>

#include "CATUnicodeString.h"
#include "ZELCommandsExport.h"

class ExportedByZELCommands HtmlRequestSettings {
 public:
  struct Address {
    CATUnicodeString host;
    int port = 80;
    int secure = 0;
    CATUnicodeString target;
  };

  // "ZEL_SERVER_URL", else "ZEL_SERVERURL", else "ServerUrl" of the repository "ZELOptions" when it
  // exists; empty when none is set.
  static CATUnicodeString GetServerUrl();
  // Splits [scheme "://"] host [":" port] ["/" path] into what the connection needs.
  static Address ParseServerUrl(const CATUnicodeString& url);
  // The variable's time-out in milliseconds, or defaultSeconds * 1000 when it is unset, empty, not a whole
  // decimal number or negative; limited to the largest count of milliseconds the HTTP layer takes.
  static int GetTimeout(const char* variable, int defaultSeconds);
  // The largest reply body a call takes, in bytes: "ZEL_SERVER_MAX_REPLY_SIZE" when it is a positive
  // whole decimal number (digits only), kDefaultMaxReplySize otherwise.
  static size_t GetMaxReplySize();
  static constexpr size_t kDefaultMaxReplySize = 64 * 1024 * 1024;
  // A whole decimal number (blanks around it allowed) that fits an int; 0 otherwise.
  static int ReadNumber(const CATUnicodeString& text, long long& value);
};

#endif
