// The login store: what it keeps in memory, what it remembers in the "ZELDialogInput" settings for the next
// session (never the password), and stores written by earlier builds.
#include <gtest/gtest.h>

#include "CATSysSettingRepository.h"
#include "ZELLoginData.h"
#include "ZELTestSupport.h"

class ZELTestAccess {
 public:
  // A new session: nothing in memory, settings read again from their files.
  static void NewSession() {
    ZELLoginData::s_uUser = ZELLoginData::s_uPassword = ZELLoginData::s_uGroup = ZELLoginData::s_uRole =
        ZELLoginData::s_uLoginLocale = CATUnicodeString();
    ZELLoginData::s_cLoginOk = 0;
    CATSysSettingRepository::ResetAll();
  }
};

namespace {

std::string Text(const CATUnicodeString& text) {
  return text.ConvertToChar();
}

class LoginData : public ::testing::Test {
 protected:
  LoginData() { ZELTestAccess::NewSession(); }
  ~LoginData() override { ZELTestAccess::NewSession(); }

  // Writes attributes the way some build saved them, then starts a new session.
  void Remember(std::initializer_list<std::pair<const char*, const char*>> attributes) {
    CATSysSettingRepository* repository = CATSysSettingRepository::GetRepository("ZELDialogInput");
    ASSERT_NE(nullptr, repository);
    for (const auto& [name, value] : attributes) ASSERT_EQ(S_OK, repository->WriteAttr(name, value));
    ASSERT_EQ(S_OK, repository->SaveRepository());
    repository->Release();
    ZELTestAccess::NewSession();
  }

  zeltest::TempDir dir_{"zel-login-data"};
  zeltest::ScopedEnv settings_{"CATUserSettingPath", dir_.Path().c_str()};
  zeltest::ScopedEnv module_{"ZEL_MODULE", "VBO"};
};

TEST_F(LoginData, WhatOneSessionStoresTheNextOneOffersWithoutThePassword) {
  ZELLoginData::SetLoginData("alice", "s3cret", "Engineering", "Designer");
  ZELLoginData::SetLoginOk(1);
  EXPECT_EQ("alice", Text(ZELLoginData::GetUser()));
  EXPECT_EQ("s3cret", Text(ZELLoginData::GetPassword()));
  EXPECT_EQ(1, ZELLoginData::GetLoginOk());

  const std::string file = zeltest::ReadFile(dir_.Path() / "ZELDialogInput.CATSettings");
  EXPECT_NE(std::string::npos, file.find("alice")) << file;
  EXPECT_EQ(std::string::npos, file.find("s3cret")) << file;

  ZELTestAccess::NewSession();
  EXPECT_EQ("alice", Text(ZELLoginData::GetUser()));
  EXPECT_EQ("Engineering", Text(ZELLoginData::GetGroup()));
  EXPECT_EQ("Designer", Text(ZELLoginData::GetRole()));
  EXPECT_EQ("", Text(ZELLoginData::GetPassword()));
  EXPECT_EQ(0, ZELLoginData::GetLoginOk());
}

TEST_F(LoginData, AStoreOfAnEarlierBuildStillReadsAndTheCurrentNamesWin) {
  Remember({{"User", "bob"}, {"Group", "Tooling"}, {"Role", "Viewer"}});
  EXPECT_EQ("bob", Text(ZELLoginData::GetUser()));
  EXPECT_EQ("Tooling", Text(ZELLoginData::GetGroup()));
  EXPECT_EQ("Viewer", Text(ZELLoginData::GetRole()));

  Remember({{"TCUser", "carol"}, {"TCRole", "Designer"}});
  EXPECT_EQ("carol", Text(ZELLoginData::GetUser()));
  EXPECT_EQ("Tooling", Text(ZELLoginData::GetGroup()));  // only the older name holds a group
  EXPECT_EQ("Designer", Text(ZELLoginData::GetRole()));
}

TEST_F(LoginData, AnEmptyStoreGivesEmptyValuesAndIsReadAgainNextTime) {
  EXPECT_EQ("", Text(ZELLoginData::GetUser()));
  EXPECT_EQ("", Text(ZELLoginData::GetGroup()));
  // Another writer of the same repository (the login dialog of this session) fills it later.
  CATSysSettingRepository* repository = CATSysSettingRepository::GetRepository("ZELDialogInput");
  ASSERT_NE(nullptr, repository);
  ASSERT_EQ(S_OK, repository->WriteAttr("TCUser", "dave"));
  repository->Release();
  EXPECT_EQ("dave", Text(ZELLoginData::GetUser()));
  // Once known in memory, the value no longer follows the repository.
  repository = CATSysSettingRepository::GetRepository("ZELDialogInput");
  ASSERT_EQ(S_OK, repository->WriteAttr("TCUser", "erin"));
  repository->Release();
  EXPECT_EQ("dave", Text(ZELLoginData::GetUser()));
}

TEST_F(LoginData, LoggingOutForgetsThePasswordOnlyAndLoggingInKeepsIt) {
  ZELLoginData::SetLoginData("alice", "s3cret", "Engineering", "Designer");
  ZELLoginData::SetLoginOk(1);
  EXPECT_EQ("s3cret", Text(ZELLoginData::GetPassword()));
  ZELLoginData::SetLoginOk(0);
  EXPECT_EQ(0, ZELLoginData::GetLoginOk());
  EXPECT_EQ("", Text(ZELLoginData::GetPassword()));
  EXPECT_EQ("alice", Text(ZELLoginData::GetUser()));
  EXPECT_EQ("Engineering", Text(ZELLoginData::GetGroup()));
  EXPECT_EQ("Designer", Text(ZELLoginData::GetRole()));
  // Without an application frame the availability update has nothing to do, and must not fail.
  ZELLoginData::SetLoginOk(1);
  EXPECT_EQ(1, ZELLoginData::GetLoginOk());
}

TEST_F(LoginData, TheLoginLocaleDefaultsToEnglishAndIsSettledOnce) {
  EXPECT_EQ("en", Text(ZELLoginData::GetLoginLocale()));
  EXPECT_EQ("en", Text(ZELLoginData::GetLoginLocale()));
}

TEST_F(LoginData, AStoreThatCannotBeWrittenKeepsTheValuesInMemory) {
  zeltest::ScopedEnv unwritable{"CATUserSettingPath", (dir_.Path() / "missing" / "deeper").c_str()};
  ZELTestAccess::NewSession();
  ZELLoginData::SetLoginData("frank", "pw", "G", "R");
  EXPECT_EQ("frank", Text(ZELLoginData::GetUser()));
  EXPECT_EQ("pw", Text(ZELLoginData::GetPassword()));
}

}  // namespace
