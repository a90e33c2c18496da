// One gateway round trip through HtmlRequest::DoRequest against a raw libcurl POST of the same body to the
// same loopback server, each on a fresh connection as the transport opens one per call. Read the ratio of
// BM_TransportDoRequest to BM_TransportRawCurlPost: the difference is the document work (serialising the
// request, parsing the reply) and the HTTP client's bookkeeping.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <cstdlib>
#include <string>

#include "CATUnicodeString.h"
#include "HtmlRequest.h"
#include "TestHttpServer.h"
#include "ZELRequestXml.h"

namespace {
const char kReply[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ZEL><Response id=\"1_0\">"
    "<Attribute name=\"ExecuteTest\" value=\"Mirror\"/><Attribute name=\"Server\" value=\"OK\"/>"
    "</Response></ZEL>";

// A loopback gateway that answers every request with the same small document; the transport reads its
// address from the environment.
struct BenchServer {
  BenchServer() : server(zeltest::Answer(200, kReply)), url(server.Url("/bench")) {
    setenv("ZEL_SERVER_URL", url.c_str(), 1);
    setenv("no_proxy", "127.0.0.1", 1);
  }
  zeltest::TestHttpServer server;
  std::string url;
};

const std::string& ServerUrl() {
  static BenchServer server;
  return server.url;
}

ZELRequestXml MakeRequest() {
  ZELRequestXml request("Test");
  request.AddRequestAttribute("ExecuteTest", "Mirror");
  request.AddRequestAttribute("Server", "OK");
  return request;
}

size_t Collect(char* data, size_t size, size_t count, void* into) {
  static_cast<std::string*>(into)->append(data, size * count);
  return size * count;
}

void BM_TransportDoRequest(benchmark::State& state) {
  ServerUrl();
  ZELRequestXml request = MakeRequest();
  for (auto _ : state) {
    ZELRequestXml response;
    if (HtmlRequest::DoRequest(request, response) != S_OK) state.SkipWithError("DoRequest failed");
  }
}

void BM_TransportRawCurlPost(benchmark::State& state) {
  const std::string target = ServerUrl() + "/ZELRequest";
  CATUnicodeString text;
  MakeRequest().GetXml(text);
  const std::string body = text.ConvertToUTF8();
  for (auto _ : state) {
    std::string reply;
    CURL* curl = curl_easy_init();
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/xml");
    curl_easy_setopt(curl, CURLOPT_URL, target.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "ZEL/1.0");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
    if (curl_easy_perform(curl) != CURLE_OK || reply.size() != sizeof kReply - 1)
      state.SkipWithError("raw POST failed");
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
  }
}
}  // namespace

BENCHMARK(BM_TransportDoRequest)->UseRealTime();
BENCHMARK(BM_TransportRawCurlPost)->UseRealTime();
