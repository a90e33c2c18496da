#include "TransportFixture.h"

#include "CATSysSettingRepository.h"

namespace zeltest {

const char* const kTransportVariables[13] = {"ZEL_SERVER_URL",
                                             "ZEL_SERVERURL",
                                             "ZEL_SERVER_RESOLVE_TIMEOUT",
                                             "ZEL_SERVER_CONNECT_TIMEOUT",
                                             "ZEL_SERVER_SEND_TIMEOUT",
                                             "ZEL_SERVER_RECEIVE_TIMEOUT",
                                             "http_proxy",
                                             "https_proxy",
                                             "HTTP_PROXY",
                                             "HTTPS_PROXY",
                                             "all_proxy",
                                             "ALL_PROXY",
                                             "SSL_CERT_FILE"};

void TransportTest::SetUp() {
  for (const char* variable : kTransportVariables) environment_.emplace_back(variable, nullptr);
  environment_.emplace_back("no_proxy", "127.0.0.1,localhost");
  environment_.emplace_back("CATUserSettingPath", (dir_ / "settings").c_str());
  CATSysSettingRepository::ResetAll();
}

void TransportTest::TearDown() {
  environment_.clear();
  // Settings read from the private directory must not outlive it.
  CATSysSettingRepository::ResetAll();
}

std::string ReplyWith(const std::string& attributes, const std::string& more) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ZEL><Response id=\"1_0\">" + attributes + more +
         "</Response></ZEL>";
}

std::string Attribute(const std::string& name, const std::string& value) {
  return "<Attribute name=\"" + name + "\" value=\"" + value + "\"/>";
}

}  // namespace zeltest
