// The administrator's file beside the settings: values and locks it gives, what it ignores, and Reset.
#include <gtest/gtest.h>

#include <string>

#include "CATSettingAdmin.h"
#include "CATSysSettingRepository.h"
#include "ZELTestSupport.h"

namespace {

class SettingAdmin : public ::testing::Test {
 protected:
  SettingAdmin() { CATSysSettingRepository::ResetAll(); }
  ~SettingAdmin() override { CATSysSettingRepository::ResetAll(); }
  void Administer(const std::string& content) {
    ASSERT_TRUE(zeltest::WriteFile(dir_.Path() / "ZELOptions.CATSettingsAdmin", content));
  }
  std::string Read(const char* attribute) {
    CATSysSettingRepository* repository = CATSysSettingRepository::GetRepository("ZELOptions");
    CATUnicodeString value;
    HRESULT hr = repository->ReadAttr(attribute, value);
    repository->Release();
    return SUCCEEDED(hr) ? std::string(value.ConvertToChar()) : std::string("<absent>");
  }

  zeltest::TempDir dir_{"zel-setting-admin"};
  zeltest::ScopedEnv settings_{"CATUserSettingPath", dir_.Path().c_str()};
};

TEST_F(SettingAdmin, ValuesAndLocksComeFromTheFileAndOddLinesAreIgnored) {
  Administer(
      "# the site's gateway\n  ServerUrl = http://gw.example/  \nlock ServerUrl\nlock\n=nothing\n"
      "Other=1\nlockServerUrl\n");
  CATSettingInfo info;
  ASSERT_EQ(S_OK, CATSettingAdmin::GetInfo("ZELOptions", "ServerUrl", info));
  EXPECT_EQ(1, info.locked);
  EXPECT_EQ(1, info.hasAdminValue);
  EXPECT_EQ(std::string("http://gw.example/"), info.adminValue.ConvertToChar());
  ASSERT_EQ(S_OK, CATSettingAdmin::GetInfo("ZELOptions", "Other", info));
  EXPECT_EQ(0, info.locked);
  EXPECT_EQ(std::string("1"), info.adminValue.ConvertToChar());
  ASSERT_EQ(S_OK, CATSettingAdmin::GetInfo("ZELOptions", "Missing", info));
  EXPECT_EQ(0, info.locked);
  EXPECT_EQ(0, info.hasAdminValue);
}

TEST_F(SettingAdmin, NamesThatCouldLeaveTheDirectoryAreRefused) {
  CATSettingInfo info;
  EXPECT_EQ(E_INVALIDARG, CATSettingAdmin::GetInfo("../ZELOptions", "ServerUrl", info));
  EXPECT_EQ(E_INVALIDARG, CATSettingAdmin::GetInfo("ZELOptions", "", info));
  EXPECT_EQ(E_INVALIDARG, CATSettingAdmin::GetInfo(nullptr, "ServerUrl", info));
  EXPECT_EQ(E_INVALIDARG, CATSettingAdmin::ResetAttribute("a/b", "ServerUrl"));
}

TEST_F(SettingAdmin, AFileLargerThanTheBoundIsIgnoredWhole) {
  std::string content = "lock ServerUrl\nServerUrl=http://gw.example/\n";
  Administer(content + std::string(CATSettingAdmin::kMaxFileBytes - content.size(), '#'));
  CATSettingInfo info;
  ASSERT_EQ(S_OK, CATSettingAdmin::GetInfo("ZELOptions", "ServerUrl", info));
  EXPECT_EQ(1, info.locked);  // exactly at the bound: still read

  Administer(content + std::string(CATSettingAdmin::kMaxFileBytes - content.size() + 1, '#'));
  ASSERT_EQ(S_OK, CATSettingAdmin::GetInfo("ZELOptions", "ServerUrl", info));
  EXPECT_EQ(0, info.locked);
  EXPECT_EQ(0, info.hasAdminValue);
}

TEST_F(SettingAdmin, ResetGivesTheAdministratorsValueOrRemovesTheUsersOwn) {
  CATSysSettingRepository* repository = CATSysSettingRepository::GetRepository("ZELOptions");
  ASSERT_EQ(S_OK, repository->WriteAttr("ServerUrl", "http://mine.example/"));
  repository->Release();
  ASSERT_EQ(S_OK, CATSettingAdmin::ResetAttribute("ZELOptions", "ServerUrl"));
  EXPECT_EQ("<absent>", Read("ServerUrl"));
  EXPECT_EQ(S_OK, CATSettingAdmin::ResetAttribute("ZELOptions", "ServerUrl"));  // nothing left to remove

  Administer("ServerUrl=http://gw.example/\n");
  ASSERT_EQ(S_OK, CATSettingAdmin::ResetAttribute("ZELOptions", "ServerUrl"));
  EXPECT_EQ("http://gw.example/", Read("ServerUrl"));
}

}  // namespace
