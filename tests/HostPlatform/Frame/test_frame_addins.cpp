// Add-ins loaded by the frame through the component dictionaries, by workbench and once per session.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "CATAfrAccessFactory.h"
#include "CATCmdContainer.h"
#include "CATCommandHeader.h"
#include "CATFrmLayout.h"
#include "CATFrmWindow.h"
#include "CATIAfrCommandHeader.h"
#include "FrameTestSupport.h"
#include "ZELTestSupport.h"
#include "test_addin_probe.h"

namespace {

using frametest::FrameTest;

class Addins : public FrameTest {
 protected:
  void SetUp() override {
    const std::filesystem::path dico = dir_ / "dico";
    ASSERT_TRUE(zeltest::WriteFile(dico / "addins.dico",
                                   "# test add-ins\n"
                                   "ZELTestGeneralAddin CATIAfrGeneralWksAddin ZELTestAddins\n"
                                   "ZELTestMissingAddin CATIAfrGeneralWksAddin ZELNoSuchAddinLibrary\n"
                                   "ZELTestNavAddin CATIImmNavAddin ZELTestAddins\n"
                                   "ZELTestNotAnAddin CATIImmNavAddin ZELTestAddins\n"
                                   "ZELTestHomeAddin I3DEXPERIENCEPlatformAddin ZELTestAddins\n"));
    // A second file declaring the same add-in again must not create it twice.
    ASSERT_TRUE(zeltest::WriteFile(dico / "again.dico", "ZELTestNavAddin CATIImmNavAddin ZELTestAddins\n"));
    dictionaryPath_.emplace("CATDictionaryPath", dico.c_str());
    testing::internal::CaptureStderr();
    FrameTest::SetUp();
    startupErrors_ = testing::internal::GetCapturedStderr();
  }
  void TearDown() override {
    FrameTest::TearDown();
    dictionaryPath_.reset();
  }

  std::vector<std::string> Loaded() const {
    std::vector<std::string> names;
    for (const CATApplicationFrame::Addin& addin : frame_->GetAddins())
      names.push_back(addin.component.str() + " " + addin.interfaceName.str());
    return names;
  }
  const CATApplicationFrame::Addin* Find(const char* component) const {
    for (const CATApplicationFrame::Addin& addin : frame_->GetAddins())
      if (addin.component == component) return &addin;
    return nullptr;
  }
  static CATVar<ZELITestAddinProbe> Probe(const CATApplicationFrame::Addin* addin) {
    return addin ? CATVar<ZELITestAddinProbe>(addin->addin) : CATVar<ZELITestAddinProbe>();
  }

  std::optional<zeltest::ScopedEnv> dictionaryPath_;
  std::string startupErrors_;
};

TEST_F(Addins, StartUpAtTheHomeLoadsTheGeneralAndHomeAddinsAndSkipsAMissingLibrary) {
  EXPECT_EQ((std::vector<std::string>{"ZELTestGeneralAddin CATIAfrGeneralWksAddin",
                                      "ZELTestHomeAddin I3DEXPERIENCEPlatformAddin"}),
            Loaded());
  EXPECT_NE(std::string::npos, startupErrors_.find("ZELTestMissingAddin")) << startupErrors_;
  EXPECT_EQ(nullptr, GetCmdHdr("ZELTestNavHeader"));

  const CATApplicationFrame::Addin* general = Find("ZELTestGeneralAddin");
  ASSERT_NE(nullptr, general);
  CATVar<ZELITestAddinProbe> probe = Probe(general);
  ASSERT_TRUE(probe != NULL_var);
  EXPECT_EQ(1, probe->CommandsCalls());
  EXPECT_EQ(1, probe->ToolbarsCalls());
  EXPECT_TRUE(probe->CommandsCameFirst());

  CATCommandHeader* header = GetCmdHdr("ZELTestGeneralHeader");
  ASSERT_NE(nullptr, header);
  EXPECT_EQ(CATString("ZELTestAddins"), header->GetLibrary());
  EXPECT_EQ(CATString("ZELTestGeneralCmd"), header->GetClassName());
  EXPECT_FALSE(header->IsAvailable());

  ASSERT_NE(nullptr, general->toolbars);
  EXPECT_EQ(CATString("ZELTestSection"), general->toolbars->GetName());
  std::vector<std::string> starters;
  for (const CATCmdContainer::Starter& starter : general->toolbars->ListAllStarters())
    starters.push_back(starter.name.str() + "=" + starter.header.str());
  EXPECT_EQ((std::vector<std::string>{"ZELTestStarter=ZELTestGeneralHeader",
                                      "ZELTestMenuStarter=ZELTestGeneralHeader"}),
            starters);
  EXPECT_EQ(nullptr, Find("ZELTestHomeAddin")->toolbars);
}

TEST_F(Addins, TheNavigationAddinLoadsWhenAnExplorerWindowBecomesCurrentAndOnlyOnce) {
  CATFrmLayout* layout = frame_->GetLayout();
  CATFrmWindow* product = nullptr;
  CATFrmWindow* explorer = nullptr;
  ASSERT_EQ(S_OK, layout->OpenWindow(Open("prd-00012340"), CATFrmProductEditor, &product));
  EXPECT_EQ(nullptr, Find("ZELTestNavAddin"));
  EXPECT_EQ(nullptr, GetCmdHdr("ZELTestNavHeader"));

  // Subscribers to the activation already find the headers of the add-ins it loaded.
  bool headerAtActivation = false;
  struct Watcher : CATCommand {
    explicit Watcher(bool* seen) : CATCommand(nullptr, "watcher"), seen_(seen) {}
    void Seen(CATCommand*, CATNotification*, CATCommandClientData) { *seen_ = GetCmdHdr("ZELTestNavHeader"); }
    bool* seen_;
  } watcher(&headerAtActivation);
  watcher.AddAnalyseNotificationCB(layout, CATFrmWindow::WINDOW_ACTIVATED(),
                                   static_cast<CATCommandMethod>(&Watcher::Seen), nullptr);

  testing::internal::CaptureStderr();
  ASSERT_EQ(S_OK, layout->OpenWindow(Open("prd-00012340"), CATFrmNavigationEditor, &explorer));
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(headerAtActivation);
  EXPECT_NE(std::string::npos, errors.find("ZELTestNotAnAddin")) << errors;
  EXPECT_EQ(nullptr, Find("ZELTestNotAnAddin"));
  ASSERT_NE(nullptr, GetCmdHdr("ZELTestNavHeader"));
  EXPECT_TRUE(GetCmdHdr("ZELTestNavHeader")->IsAvailable());

  // Back and forth, a second explorer, closing everything: nothing loads again, nothing is reported again.
  testing::internal::CaptureStderr();
  ASSERT_EQ(S_OK, layout->SetCurrentWindow(product));
  ASSERT_EQ(S_OK, layout->SetCurrentWindow(explorer));
  ASSERT_EQ(S_OK, layout->OpenWindow(Open("prd-00012341"), CATFrmNavigationEditor));
  frame_->SetCurrentWorkshop("ImmNavWorkshop");
  while (layout->GetCurrentWindow()) ASSERT_EQ(S_OK, layout->CloseWindow(layout->GetCurrentWindow()));
  EXPECT_EQ("", testing::internal::GetCapturedStderr());
  EXPECT_EQ((std::vector<std::string>{"ZELTestGeneralAddin CATIAfrGeneralWksAddin",
                                      "ZELTestHomeAddin I3DEXPERIENCEPlatformAddin",
                                      "ZELTestNavAddin CATIImmNavAddin"}),
            Loaded());
  for (const char* name : {"ZELTestGeneralAddin", "ZELTestHomeAddin", "ZELTestNavAddin"}) {
    CATVar<ZELITestAddinProbe> probe = Probe(Find(name));
    ASSERT_TRUE(probe != NULL_var) << name;
    EXPECT_EQ(1, probe->CommandsCalls()) << name;
    EXPECT_EQ(1, probe->ToolbarsCalls()) << name;
  }
}

TEST_F(Addins, AWorkbenchOrWorkshopChangeLoadsAndTheNextSessionLoadsAfresh) {
  // The home's workbench set by name counts as the navigation workbench.
  frame_->SetCurrentWorkbench("CATImmNav");
  ASSERT_NE(nullptr, Find("ZELTestNavAddin"));

  // The frame holds the add-ins and their containers to its end, and releases them then.
  CATBaseUnknown* general = Find("ZELTestGeneralAddin")->addin;
  CATCmdContainer* toolbars = Find("ZELTestGeneralAddin")->toolbars;
  general->AddRef();
  toolbars->AddRef();
  delete frame_;
  EXPECT_EQ(1u, general->RefCount());
  EXPECT_EQ(1u, toolbars->RefCount());
  general->Release();
  toolbars->Release();

  // A new session starts at the home again: its add-ins are new objects, called once each.
  testing::internal::CaptureStderr();
  frame_ = new CATApplicationFrame();
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(nullptr, Find("ZELTestNavAddin"));
  frame_->SetCurrentWorkshop("ImmNavWorkshop");
  ASSERT_NE(nullptr, Find("ZELTestNavAddin"));
  CATVar<ZELITestAddinProbe> probe = Probe(Find("ZELTestNavAddin"));
  ASSERT_TRUE(probe != NULL_var);
  EXPECT_EQ(1, probe->CommandsCalls());
  ASSERT_NE(nullptr, GetCmdHdr("ZELTestNavHeader"));
}

TEST(CmdContainer, StartersAreUniqueByNameAndChildrenCannotFormALoop) {
  CATCmdContainer* top = new CATCmdContainer("Top");
  CATCmdContainer* sub = new CATCmdContainer("Sub");
  EXPECT_EQ(S_OK, top->AddStarter("A", "HeaderA"));
  EXPECT_EQ(S_FALSE, top->AddStarter("A", "Other"));
  EXPECT_EQ(E_INVALIDARG, top->AddStarter("", "HeaderB"));
  EXPECT_EQ(S_OK, top->AddChild(sub));
  EXPECT_EQ(S_FALSE, top->AddChild(sub));
  EXPECT_EQ(E_INVALIDARG, sub->AddChild(top));
  EXPECT_EQ(E_INVALIDARG, top->AddChild(top));
  EXPECT_EQ(E_INVALIDARG, top->AddChild(nullptr));
  EXPECT_EQ(2u, sub->RefCount());
  ASSERT_EQ(1u, top->ListAllStarters().size());
  EXPECT_EQ(CATString("HeaderA"), top->ListAllStarters()[0].header);
  sub->Release();
  top->Release();
}

// The action bar as add-ins build it: accesses by kind, starters bound to headers, children and siblings.
TEST(CmdAccess, AccessesBuildOneOrderedTreeAndEachLiesInOneContainer) {
  EXPECT_EQ(nullptr, CATAfrAccessFactory::NewAccess("CATCmdMenu", "M"));
  EXPECT_EQ(nullptr, CATAfrAccessFactory::NewAccess("CATCmdStarter", ""));
  CATCmdAccess* section = CATAfrAccessFactory::NewAccess("CATCmdContainer", "Section");
  CATCmdAccess* menu = CATAfrAccessFactory::NewAccess("CATCmdContainer", "Menu");
  CATCmdAccess* a = CATAfrAccessFactory::NewAccess("CATCmdStarter", "A");
  CATCmdAccess* b = CATAfrAccessFactory::NewAccess("CATCmdStarter", "B");
  CATCmdAccess* c = CATAfrAccessFactory::NewAccess("CATCmdStarter", "C");
  ASSERT_TRUE(section && menu && a && b && c);
  EXPECT_STREQ("CATCmdStarter", a->GetAccessKind());

  EXPECT_EQ(S_OK, SetAccessCommand(a, "HeaderA"));
  EXPECT_EQ(E_INVALIDARG, SetAccessCommand(menu, "HeaderA"));
  EXPECT_EQ(E_INVALIDARG, SetAccessChild(a, b));  // a starter holds nothing
  EXPECT_EQ(E_FAIL, SetAccessNext(a, b));         // a lies in no container yet
  EXPECT_EQ(S_OK, SetAccessChild(section, menu));
  EXPECT_EQ(S_OK, SetAccessChild(menu, a));
  EXPECT_EQ(S_OK, SetAccessNext(a, c));
  EXPECT_EQ(S_OK, SetAccessNext(a, b));  // right after a, before c
  EXPECT_EQ(S_FALSE, SetAccessNext(a, b));
  EXPECT_EQ(E_INVALIDARG, SetAccessChild(section, b));  // already in the menu
  EXPECT_EQ(E_INVALIDARG, SetAccessChild(menu, section));
  EXPECT_EQ(menu, b->GetParent());

  std::vector<std::string> order;
  for (const CATCmdContainer::Starter& starter : static_cast<CATCmdContainer*>(section)->ListAllStarters())
    order.push_back(starter.name.str() + "=" + starter.header.str());
  EXPECT_EQ((std::vector<std::string>{"A=HeaderA", "B=", "C="}), order);

  for (CATCmdAccess* access : {a, b, c, menu}) access->Release();
  EXPECT_EQ(1u, static_cast<CATCmdContainer*>(section)->GetChildren()[0]->RefCount());
  section->Release();
}

TEST(CmdAccess, AStarterOfTheSameNameIsRefusedWhateverWayItComes) {
  CATCmdContainer* menu = new CATCmdContainer("Menu");
  ASSERT_EQ(S_OK, menu->AddStarter("A", "HeaderA"));
  CATCmdAccess* twin = CATAfrAccessFactory::NewAccess("CATCmdStarter", "A");
  EXPECT_EQ(E_INVALIDARG, SetAccessChild(menu, twin));
  EXPECT_EQ(nullptr, twin->GetParent());
  twin->Release();
  menu->Release();
}

TEST(CommandHeader, AvailabilityIsReachedThroughItsInterface) {
  CATCommandHeader* header =
      new CATCommandHeader("H", "Lib", "Cmd", nullptr, "Res", "External", CATFrmUnavailable);
  CATIAfrCommandHeader_var availability(static_cast<CATBaseUnknown*>(header));
  ASSERT_TRUE(availability != NULL_var);
  EXPECT_EQ(0, availability->IsAvailable());
  availability->BecomeAvailable();
  EXPECT_EQ(1, header->IsAvailable());
  availability = NULL_var;
  header->Release();
}

}  // namespace
