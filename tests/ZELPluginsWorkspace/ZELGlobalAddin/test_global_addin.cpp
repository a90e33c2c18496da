// The workbench add-in in a running frame: the frame loads it from the dictionaries at start-up, it brings
// the session's receiver up once, and a second add-in object of the same session does not bring up another.
#include <gtest/gtest.h>

#include <filesystem>

#include "CATApplication.h"
#include "CATApplicationFrame.h"
#include "CATCmdContainer.h"
#include "CATCommandHeader.h"
#include "CATInstantiateComponent.h"
#include "CATPLMSession.h"
#include "CATSysSettingRepository.h"
#include "ZELGlobalAddin.h"
#include "ZELIBackboneUtil.h"
#include "ZELLoginData.h"
#include "ZELTestSupport.h"

class ZELTestAccess {
 public:
  static CATBaseUnknown* Receiver() { return ZELGlobalAddin::s_pReceiver; }
};

namespace {

namespace fs = std::filesystem;

int ReceiverMissing() {
  ZELIBackboneUtil* util = nullptr;
  if (FAILED(CATInstantiateComponent("ZELBackboneUtil", IID_ZELIBackboneUtil,
                                     reinterpret_cast<void**>(&util))) ||
      !util)
    return -1;
  int missing = util->IsReceiverMissing();
  util->Release();
  return missing;
}

int Available(const char* header) {
  CATCommandHeader* found = GetCmdHdr(header);
  return found ? found->IsAvailable() : -1;
}

class GlobalAddin : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(S_OK, CATPLMSession::Connect(zeltest::SeededPlmDatabase(dir_.Path()).c_str()));
    app_ = new CATApplication("3DEXPERIENCE", {"3DEXPERIENCE"});
    frame_ = new CATApplicationFrame();
  }
  void TearDown() override {
    delete app_;
    CATPLMSession::Disconnect();
    CATSysSettingRepository::ResetAll();
  }
  size_t BusEntries() const {
    size_t count = 0;
    std::error_code ignored;
    for (auto it = fs::directory_iterator(bus_dir_.Path(), ignored); it != fs::directory_iterator(); ++it)
      ++count;
    return count;
  }

  zeltest::TempDir dir_{"zel-addin"};
  zeltest::ScopedEnv module_{"ZEL_MODULE", "VBO"};
  zeltest::ScopedEnv settings_{"CATUserSettingPath", dir_.Path().c_str()};
  // Near the root, so the bus's socket paths stay within their limit.
  zeltest::TempDir bus_dir_{"zelbus", "/tmp"};
  zeltest::ScopedEnv bus_{"CATBackboneDirectory", bus_dir_.Path().c_str()};
  CATApplication* app_ = nullptr;
  CATApplicationFrame* frame_ = nullptr;
};

TEST_F(GlobalAddin, TheSessionStartBringsUpOneReceiverAndASecondAddinObjectNoOther) {
  bool loaded = false;
  for (const CATApplicationFrame::Addin& addin : frame_->GetAddins())
    if (addin.component == "ZELGlobalAddinLT") loaded = true;
  ASSERT_TRUE(loaded);
  ASSERT_EQ(0, ReceiverMissing());
  CATBaseUnknown* receiver = ZELTestAccess::Receiver();
  ASSERT_NE(nullptr, receiver);
  const size_t entries = BusEntries();

  CATIAfrGeneralWksAddin* second = nullptr;
  ASSERT_EQ(S_OK, CATInstantiateComponent("ZELGlobalAddinLT", IID_CATIAfrGeneralWksAddin,
                                          reinterpret_cast<void**>(&second)));
  second->CreateCommands();
  CATCmdContainer* toolbars = second->CreateToolbars();
  if (toolbars) toolbars->Release();
  second->Release();

  EXPECT_EQ(receiver, ZELTestAccess::Receiver());
  EXPECT_EQ(0, ReceiverMissing());
  EXPECT_EQ(entries, BusEntries());
}

TEST_F(GlobalAddin, TheStartupTimerSubscribesToWindowsAndTheLoginFlagMovesTheHeaders) {
  ZELLoginData::SetLoginOk(0);
  EXPECT_EQ(1, Available("LoginAddinHeader"));
  EXPECT_EQ(0, Available("LogoutAddinHeader"));
  // The platform's first turns of the event loop: the timer finds the layout.
  for (int turn = 0; turn < 5 && app_->PendingTimeOuts() > 0; ++turn) app_->FireNextTimeOut();

  ZELLoginData::SetLoginOk(1);
  EXPECT_EQ(0, Available("LoginAddinHeader"));
  EXPECT_EQ(1, Available("LogoutAddinHeader"));
  EXPECT_EQ(1, Available("QueryItemAddinHeader"));
  EXPECT_EQ(1, Available("VBOAboutAddinHeader"));

  frame_->SetCurrentWorkshop("ImmNavWorkshop");
  ZELLoginData::SetLoginOk(0);
  EXPECT_EQ(1, Available("LoginAddinHeader"));
  EXPECT_EQ(0, Available("ShowAttributesAddinHeader"));
}

}  // namespace
