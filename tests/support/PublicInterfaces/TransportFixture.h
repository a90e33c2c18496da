#ifndef TransportFixture_h
#define TransportFixture_h
// A clean environment for every transport test: no gateway variables, no proxy of the machine, private
// settings in a private temporary directory.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "CATSysSettingRepository.h"

namespace zeltest {

inline const char* const kTransportVariables[] = {"ZEL_SERVER_URL",
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

class TransportTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "zel-transport-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    for (const char* variable : kTransportVariables) unsetenv(variable);
    setenv("no_proxy", "127.0.0.1,localhost", 1);
    setenv("CATUserSettingPath", (dir_ / "settings").c_str(), 1);
    CATSysSettingRepository::ResetAll();
  }
  void TearDown() override {
    for (const char* variable : kTransportVariables) unsetenv(variable);
    CATSysSettingRepository::ResetAll();
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path dir_;
};

// A reply document whose "Response" holds the given attributes.
inline std::string ReplyWith(const std::string& attributes, const std::string& more = "") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ZEL><Response id=\"1_0\">" + attributes + more +
         "</Response></ZEL>";
}
inline std::string Attribute(const std::string& name, const std::string& value) {
  return "<Attribute name=\"" + name + "\" value=\"" + value + "\"/>";
}

}  // namespace zeltest

#endif
