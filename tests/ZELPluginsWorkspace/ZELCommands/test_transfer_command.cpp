// The commands of ZELCommands (transfer, set part number) as a user drives them: every script of scripts/
// runs in CNEXT against the reference gateway, reached through a recording relay, and its transcript
// (standard output, the exit code, then every request the gateway received) must equal the .expected file
// beside it. A script with a .replies file beside it gets, for each function named there, that canned reply
// instead of the gateway's (lines "<function> <reply document>"); a line "@break-after N" there makes the
// relay reset the connection of every request after the N-th, as a gateway that stopped (the request is still
// listed). A .sql file changes its private demo database first. Times the gateway stamps while a script runs
// (processes of its transfers) read "<now>" in the transcript.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <map>
#include <regex>
#include <sstream>

#include "ChildProcess.h"
#include "ScriptTranscripts.h"
#include "SeededGateway.h"
#include "TestHttpServer.h"
#include "ZELTestSupport.h"

namespace fs = std::filesystem;

namespace {

const fs::path kScripts = ZEL_SOURCE_DIR "/tests/ZELPluginsWorkspace/ZELCommands/scripts";
// Bounds what the relay waits for and takes from the gateway.
constexpr int kRelayTimeoutMs = 30000;
constexpr size_t kMaxRelayedReply = 1024 * 1024;

// The function a request document names, or empty.
std::string FunctionOf(const std::string& body) {
  static const std::regex name("<Request[^>]*\\bname=\"([^\"]*)\"");
  std::smatch match;
  return std::regex_search(body, match, name) ? match[1].str() : std::string();
}

// Posts the body to the gateway (HTTP/1.0: the gateway closes after its reply) and returns status and body;
// status 0 when the gateway cannot be reached or its answer cannot be read.
std::pair<int, std::string> Relay(int port, const std::string& contentType, const std::string& body) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return {0, ""};
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string answer;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    const std::string request =
        "POST /ZELRequest HTTP/1.0\r\nHost: 127.0.0.1\r\nContent-Type: " + contentType +
        "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    bool sent =
        send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size());
    pollfd readable{fd, POLLIN, 0};
    char buffer[16384];
    while (sent && answer.size() < kMaxRelayedReply && poll(&readable, 1, kRelayTimeoutMs) > 0) {
      ssize_t got = recv(fd, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      answer.append(buffer, static_cast<size_t>(got));
    }
  }
  close(fd);
  const size_t headEnd = answer.find("\r\n\r\n");
  int status = 0;
  if (headEnd == std::string::npos || std::sscanf(answer.c_str(), "HTTP/%*s %d", &status) != 1)
    return {0, ""};
  return {status, answer.substr(headEnd + 4)};
}

// What a .replies file asks of the relay: canned replies by function (lines "<function> <document>") and
// how many requests it answers before it breaks every connection ("@break-after N"; -1: never).
struct RelayPlan {
  std::map<std::string, std::string> replies;
  int breakAfter = -1;
};

RelayPlan ReadReplies(const fs::path& file) {
  RelayPlan plan;
  std::istringstream in(zeltest::ReadFile(file));
  for (std::string line; std::getline(in, line);) {
    const size_t blank = line.find(' ');
    if (line.empty() || line[0] == '#' || blank == std::string::npos) continue;
    if (line.compare(0, blank, "@break-after") == 0)
      plan.breakAfter = std::stoi(line.substr(blank + 1));
    else
      plan.replies[line.substr(0, blank)] = line.substr(blank + 1);
  }
  return plan;
}

// The UTC time as the gateway stamps its processes.
std::string UtcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

// Stamps at or after since (same format, so they order as text) become "<now>"; older ones, such as those of
// the seeded processes, stay.
std::string WithoutRunTimes(const std::string& transcript, const std::string& since) {
  static const std::regex stamp("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z");
  std::string out;
  auto last = transcript.cbegin();
  for (std::sregex_iterator it(transcript.begin(), transcript.end(), stamp), end; it != end; ++it) {
    out.append(last, (*it)[0].first);
    out += it->str() >= since ? "<now>" : it->str();
    last = (*it)[0].second;
  }
  out.append(last, transcript.cend());
  return out;
}

// Request ids carry the client's process id.
std::string Normalised(const std::string& body) {
  static const std::regex id("id=\"[0-9]+_");
  return std::regex_replace(body, id, "id=\"PID_");
}

// One reference gateway for every script, on a fresh demo store.
class TransferScript : public ::testing::TestWithParam<std::string> {
 protected:
  static void SetUpTestSuite() { gateway_ = new zeltest::SeededGateway("zel-transfer"); }
  static void TearDownTestSuite() {
    delete gateway_;
    gateway_ = nullptr;
  }

  static zeltest::SeededGateway* gateway_;
};

zeltest::SeededGateway* TransferScript::gateway_ = nullptr;

}  // namespace

TEST_P(TransferScript, TranscriptIsTheExpectedOne) {
  ASSERT_GT(gateway_->Port(), 0) << "the gateway did not start";
  const fs::path script = kScripts / (GetParam() + ".script");
  const fs::path expected = kScripts / (GetParam() + ".expected");
  const fs::path sql = kScripts / (GetParam() + ".sql");
  const RelayPlan plan = ReadReplies(kScripts / (GetParam() + ".replies"));
  const int gatewayPort = gateway_->Port();
  std::atomic<int> relayed{0};
  zeltest::TestHttpServer relay([&plan, &relayed, gatewayPort](zeltest::TestConnection& connection,
                                                               const zeltest::RecordedRequest& request) {
    if (plan.breakAfter >= 0 && relayed.fetch_add(1) >= plan.breakAfter) {
      connection.Reset();
      return;
    }
    auto canned = plan.replies.find(FunctionOf(request.body));
    if (canned != plan.replies.end()) {
      connection.Write(zeltest::HttpReply(200, canned->second));
      return;
    }
    auto [status, body] = Relay(gatewayPort, request.Header("Content-Type"), request.body);
    connection.Write(status ? zeltest::HttpReply(status, body)
                            : zeltest::HttpReply(502, "relay failed", "text/plain"));
  });

  zeltest::TempDir dir("zel-transfer-script");
  const fs::path database = zeltest::SeededPlmDatabase(dir.Path());
  if (fs::exists(sql)) {
    ASSERT_EQ("", zeltest::ExecuteSql(database, zeltest::ReadFile(sql))) << sql;
  }
  std::vector<std::string> environment = {"ZEL_MODULE=VBO",    "ZEL_SERVER_URL=" + relay.Url("/"),
                                          "ZEL_SERVERURL",     "ZEL_DEBUG",
                                          "ZEL_PLM_DATABASE",  "ZEL_PLM_FAIL",
                                          "ZEL_PLM_USER",      "CATDictionaryPath",
                                          "CATMsgCatalogPath", "http_proxy",
                                          "HTTP_PROXY",        "no_proxy=127.0.0.1"};
  const fs::path files = kScripts / (GetParam() + ".files");
  if (fs::is_directory(files)) {
    for (const fs::directory_entry& entry : fs::directory_iterator(files)) {
      const std::string text =
          std::regex_replace(zeltest::ReadFile(entry.path()), std::regex("@DIR@"), dir.Path().string());
      zeltest::WriteFile(dir.Path() / entry.path().filename(), text);
    }
    environment.push_back("CATUserSettingPath=" + dir.Path().string());
    environment.push_back("TMPDIR=" + dir.Path().string());
  }
  const std::string started = UtcNow();
  zeltest::ProgramResult result = zeltest::RunProgram(
      {zeltest::RuntimeProgram("CNEXT").string(), "--script", script.string(), "--plm", database.string()},
      "", std::chrono::seconds(120), environment);
  std::string transcript = result.out + "[exit " + std::to_string(result.exitCode) + "]\n";
  for (const zeltest::RecordedRequest& request : relay.Requests())
    transcript += "request " + request.target + " " + Normalised(request.body) + "\n";

  zeltest::ExpectTranscript(expected, GetParam(), WithoutRunTimes(transcript, started), result.err);
}

INSTANTIATE_TEST_SUITE_P(Scripts, TransferScript, ::testing::ValuesIn(zeltest::ScriptNames(kScripts)),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return zeltest::ScriptTestName(info.param);
                         });
