// Edition, catalog chain, standard dialog texts, the module-missing warning and the toolbar decision.
#include <gtest/gtest.h>

#include <cstdlib>

#include "CATApplication.h"
#include "CATDlgDialog.h"
#include "CATDlgNotify.h"
#include "CATMsgCatalog.h"
#include "CATRscCatalog.h"
#include "ZELCommandsTestAccess.h"
#include "ZELGlobal.h"
#include "ZELTestSupport.h"

namespace {
// Writes the test catalogs into a private directory placed before the product's own catalogs.
class GlobalTest : public testing::Test {
 protected:
  void SetUp() override {
    Write("ZELTestCat.CATNls", "Common = \"common /P1\";\nOnlyCommon = \"only common\";\n");
    Write("VBOTestCat.CATNls", "Common = \"teamcenter /P1\";\n");
    Write("ZELTestDlg.CATNls", "Title = \"Test dialog\";\nLongHelp = \"Long help\";\n");
    Write("TestRsc.CATRsc", "Icon = \"plain.png\";\nOnlyPlain = \"p\";\n");
    Write("VBOTestRsc.CATRsc", "Icon = \"teamcenter.png\";\nEmpty = \"\";\n");
    CATMsgCatalog::Reset();
    CATRscCatalog::Reset();
    CATDlgNotify::ClearJournal();
    CATDlgNotify::ClearAnswers();
    ZELTestAccess::SetModule(ZELModuleUnknown);
  }
  void TearDown() override {
    CATMsgCatalog::Reset();
    CATRscCatalog::Reset();
    ZELTestAccess::SetModule(ZELModuleUnknown);
  }
  void Write(const char* name, const char* text) { ASSERT_TRUE(zeltest::WriteFile(dir_ / name, text)); }

  zeltest::TempDir dir_{"zel-global"};
  zeltest::ScopedEnv catalogPath_{"CATMsgCatalogPath", dir_.Path().c_str()};
  zeltest::ScopedEnv module_{"ZEL_MODULE", nullptr};
  zeltest::ScopedEnv application_{"ZEL_ADDITIONAL_APPLICATION", nullptr};
};
}  // namespace

TEST_F(GlobalTest, MessagesResolveModuleThenCommonThenFallback) {
  CATUnicodeString param("X");
  EXPECT_EQ(ZELGlobal::BuildMessage("TestCat", "Common", &param, 1, "fb"), "common X");
  ZELTestAccess::SetModule(ZELModuleTeamcenter);
  EXPECT_EQ(ZELGlobal::BuildMessage("TestCat", "Common", &param, 1, "fb"), "teamcenter X");
  EXPECT_EQ(ZELGlobal::BuildMessage("TestCat", "OnlyCommon", nullptr, 0, "fb"), "only common");
  EXPECT_EQ(ZELGlobal::BuildMessage("TestCat", "Nowhere", nullptr, 0, "given fallback"), "given fallback");
  EXPECT_EQ(ZELGlobal::BuildMessage("Global", "X", nullptr, 0, CATUnicodeString()), "Global X");
  ZELTestAccess::SetModule(ZELModuleAras);  // no WUR catalog: the common text stays
  EXPECT_EQ(ZELGlobal::BuildMessage("TestCat", "Common", &param, 1, ""), "common X");
  // The product's own catalog is found in the runtime tree.
  EXPECT_NE(ZELGlobal::BuildMessage("HtmlRequest", "ErrorCommunication", nullptr, 0, ""),
            "HtmlRequest ErrorCommunication");
}

TEST_F(GlobalTest, ResourcesPreferANonEmptyModuleText) {
  EXPECT_EQ(ZELGlobal::BuildResource("TestRsc", "Icon", nullptr, 0, "fb"), "plain.png");
  ZELTestAccess::SetModule(ZELModuleTeamcenter);
  EXPECT_EQ(ZELGlobal::BuildResource("TestRsc", "Icon", nullptr, 0, "fb"), "teamcenter.png");
  EXPECT_EQ(ZELGlobal::BuildResource("TestRsc", "Empty", nullptr, 0, "fb"), "fb");
  EXPECT_EQ(ZELGlobal::BuildResource("TestRsc", "OnlyPlain", nullptr, 0, "fb"), "p");
  EXPECT_EQ(ZELGlobal::BuildResource("TestRsc", "Missing", nullptr, 0, "fb"), "fb");
}

TEST_F(GlobalTest, ModuleIsChosenOnceAndPrefixesResources) {
  setenv("ZEL_MODULE", "WUR", 1);
  EXPECT_EQ(ZELGlobal::GetZELModule(), ZELModuleAras);
  setenv("ZEL_MODULE", "VBO", 1);  // settled for the process
  EXPECT_EQ(ZELGlobal::GetZELModule(), ZELModuleAras);
  EXPECT_STREQ(ZELGlobal::GetZELModulePrefix(), "WUR");
  EXPECT_EQ(ZELGlobal::AddPrefixToResorceName("Toolbar"), "WURToolbar");
  ZELTestAccess::SetModule(ZELModuleUnknown);
  setenv("ZEL_MODULE", "pyx", 1);  // values are case-sensitive
  EXPECT_EQ(ZELGlobal::GetZELModule(), ZELModuleMissing);
  EXPECT_EQ(ZELGlobal::AddPrefixToResorceName("Toolbar"), "Toolbar");
  EXPECT_STREQ(ZELGlobal::GetZELModulePrefix(), "");
  EXPECT_TRUE(CATDlgNotify::GetJournal().empty());  // no application: nobody to warn
}

TEST_F(GlobalTest, MissingModuleWarnsOnceAndRepeatsUntilAnswered) {
  CATApplication app("Client", {"3DEXPERIENCE"});
  CATDlgNotify::QueueAnswer(0);
  CATDlgNotify::QueueAnswer(0);
  CATDlgNotify::QueueAnswer(1);
  EXPECT_EQ(ZELGlobal::GetZELModule(), ZELModuleMissing);
  EXPECT_EQ(ZELGlobal::GetZELModule(), ZELModuleMissing);
  ASSERT_EQ(CATDlgNotify::GetJournal().size(), 1u);
  const CATDlgNotifyRecord& box = CATDlgNotify::GetJournal()[0];
  EXPECT_EQ(box.name, "ZELWarning");
  EXPECT_EQ(box.style, 0x10100000UL);
  EXPECT_EQ(box.title, "PDM Integration");
  EXPECT_NE(box.text.SearchSubString("ZEL_MODULE"), -1);
  // Unanswered: the warning returns once a second until the answer 1 ends it.
  EXPECT_EQ(app.PendingTimeOuts(), 1);
  EXPECT_EQ(app.FireNextTimeOut(), 1);
  EXPECT_EQ(app.FireNextTimeOut(), 1);
  EXPECT_EQ(CATDlgNotify::GetJournal().size(), 3u);
  EXPECT_EQ(app.PendingTimeOuts(), 0);
  EXPECT_EQ(ZELGlobal::ShowToolbar(), 0);
}

TEST_F(GlobalTest, DialogStandardTextsFallBackToTheirKeys) {
  CATDlgDialog dialog(nullptr, "ZELTestDlg");
  ZELGlobal::SetDialogStandardMessages(&dialog, "TestDlg");
  EXPECT_EQ(dialog.GetTitle(), "Test dialog");
  EXPECT_EQ(dialog.GetHelp(), "TestDlg Help");
  EXPECT_EQ(dialog.GetShortHelp(), "TestDlg ShortHelp");
  EXPECT_EQ(dialog.GetLongHelp(), "Long help");
  CATDlgDialog untouched(nullptr, "Other");
  ZELGlobal::SetDialogStandardMessages(&untouched, "");
  ZELGlobal::SetDialogStandardMessages(nullptr, "TestDlg");
  EXPECT_TRUE(untouched.GetTitle().IsNull());
}

TEST_F(GlobalTest, ToolbarsNeedAKnownApplicationAndAModule) {
  ZELTestAccess::SetModule(ZELModuleTeamcenter);
  EXPECT_EQ(ZELGlobal::ShowToolbar(), 1);  // no client application: only the module counts
  {
    CATApplication app("Client", {});
    EXPECT_EQ(ZELGlobal::ShowToolbar(), 0);
  }
  for (const char* first : {"cnext", "3DEXPERIENCE"}) {
    CATApplication app("Client", {first, "more"});
    EXPECT_EQ(ZELGlobal::ShowToolbar(), 1) << first;
  }
  {
    CATApplication app("Client", {"MyApp"});
    EXPECT_EQ(ZELGlobal::ShowToolbar(), 0);
    setenv("ZEL_ADDITIONAL_APPLICATION", "MyApp", 1);
    EXPECT_EQ(ZELGlobal::ShowToolbar(), 1);
  }
  {
    CATApplication app("Client", {""});
    setenv("ZEL_ADDITIONAL_APPLICATION", "", 1);
    EXPECT_EQ(ZELGlobal::ShowToolbar(), 0);
  }
}
