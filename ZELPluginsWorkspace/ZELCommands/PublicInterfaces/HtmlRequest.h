#ifndef HtmlRequest_h
#define HtmlRequest_h
// The only way to the PDM gateway: one synchronous HTTP POST of a request document per call, its reply
// parsed into a second document. Read on every call, nothing cached:
//   gateway URL   "ZEL_SERVER_URL", else "ZEL_SERVERURL", else attribute "ServerUrl" of the settings
//                 repository "ZELOptions"; form [http:// | https://]host[:port][/path], posted to
//                 "/<path>/ZELRequest" (port 0, empty or not a number: 80, or 443 for https)
//   time-outs     "ZEL_SERVER_RESOLVE_TIMEOUT" (default 0 = no limit), "ZEL_SERVER_CONNECT_TIMEOUT" (60),
//                 "ZEL_SERVER_SEND_TIMEOUT" (30), "ZEL_SERVER_RECEIVE_TIMEOUT" (300), in whole seconds;
//                 a value that is not a whole decimal number, or is negative, keeps the default. The
//                 receive time-out bounds the whole reply, headers and body.
//   reply size    "ZEL_SERVER_MAX_REPLY_SIZE": the largest reply body taken, in bytes (default 64 MiB);
//                 a larger one fails the call. Digits only; anything else, or 0, keeps the default.
#include "ZELCommandsExport.h"

class ZELRequestXml;

class ExportedByZELCommands HtmlRequest {
 public:
  // S_OK when the gateway's reply was read whole and is a document, which says nothing of the gateway's
  // verdict: read it from the reply's errors. E_FAIL when the gateway could not be reached, the reply was
  // cut short, or it is not a document. response is expected to be a fresh, empty ZELRequestXml.
  static long DoRequest(const ZELRequestXml& request, ZELRequestXml& response);
  // S_OK when the gateway answers the "Test" probe (ExecuteTest=Mirror, Server=OK) with a non-empty
  // "Server" in its response.
  static long CheckServerConnection();
};

#endif
