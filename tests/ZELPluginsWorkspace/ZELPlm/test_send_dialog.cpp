// The send-to-3DEXPERIENCE dialog as a user drives it: what its switches enable, what Assign proposes, the
// exact attributes OK sends, and which box tells the outcome, against a loopback gateway that records the
// request and answers as each case needs; and, last, a transfer the reference gateway accepts.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "CATApplication.h"
#include "CATDlgCheckButton.h"
#include "CATDlgCombo.h"
#include "CATDlgEditor.h"
#include "CATDlgNotify.h"
#include "CATDlgPushButton.h"
#include "CATDlgRadioButton.h"
#include "CATSysSettingRepository.h"
#include "SeededGateway.h"
#include "TestHttpServer.h"
#include "TransportFixture.h"
#include "ZELCommandsTestAccess.h"
#include "ZELLoginData.h"
#include "ZELPlmCommands.h"
#include "ZELQueryResult.h"
#include "ZELQueryResultItem.h"
#include "ZELSendToV6Dialog.h"

using namespace zeltest;

namespace {

std::string Text(const CATUnicodeString& text) {
  return text.ConvertToUTF8();
}

// The value of a request attribute as sent, or "<absent>".
std::string Sent(const RecordedRequest& request, const std::string& name) {
  const std::string key = "<Attribute name=\"" + name + "\" value=\"";
  const size_t at = request.body.find(key);
  if (at == std::string::npos) return "<absent>";
  const size_t begin = at + key.size();
  return request.body.substr(begin, request.body.find('"', begin) - begin);
}

constexpr CATDlgStyle kInformationBox = 0x4100000UL;

std::string Success(const std::string& text) {
  return ReplyWith("", "<Message code=\"100200\">" + text + "</Message>");
}

struct Options {
  CATListValCATUnicodeString rules{"Latest Working", "Latest Released", "Precise Only"};
  CATRawCollint flags{0, 1, 0};
  CATListValCATUnicodeString variants{"Standard", "Sport"};
  bool sendConfiguration = true;
};

class SendDialog : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    app_ = std::make_unique<CATApplication>("3DEXPERIENCE");
    ZELTestAccess::SetModule(ZELModuleTeamcenter);
    ZELLoginData::SetLoginData("designer", "designer", "Engineering", "Designer");
    ZELLoginData::SetLoginOk(1);
    CATDlgNotify::ClearJournal();
    CATDlgNotify::ClearAnswers();
  }
  void TearDown() override {
    if (!life_.expired() && !dialog_->IsDestructionRequested()) dialog_->RequestDelayedDestruction();
    app_->ProcessDelayedDestructions();
    app_.reset();
    ZELTestAccess::SetModule(ZELModuleTeamcenter);
    ZELLoginData::SetLoginOk(0);
    CATSysSettingRepository::ResetAll();
    TransportTest::TearDown();
  }

  // Opens the dialog as the query result does: options, build, item, show.
  void Open(const Options& options = Options()) {
    dialog_ = new ZELSendToV6Dialog(nullptr, "vbo_send_to_v6_dialog");
    life_ = dialog_->LifeToken();
    dialog_->SetSendTo3DXOptions(options.rules, options.flags, options.variants, options.sendConfiguration);
    dialog_->Build();
    dialog_->SetItemObidToTransfer("obid-7");
    dialog_->SetVisibility(CATDlgShow);
  }
  void UseGateway(const TestHttpServer& server) { setenv("ZEL_SERVER_URL", server.Url("/gw").c_str(), 1); }

  template <class Control>
  Control* Find(const char* path) {
    Control* control = dynamic_cast<Control*>(dialog_->FindChild(path));
    EXPECT_NE(nullptr, control) << path;
    return control;
  }
  CATDlgCheckButton* Check(const char* name) {
    return Find<CATDlgCheckButton>((std::string("Frame2/") + name).c_str());
  }
  CATDlgRadioButton* Radio(const char* name) {
    return Find<CATDlgRadioButton>((std::string("Frame1/") + name).c_str());
  }
  CATDlgCombo* Combo(const char* name) { return Find<CATDlgCombo>((std::string("Frame2/") + name).c_str()); }
  CATDlgEditor* NameEditor() { return Find<CATDlgEditor>("Frame2/EditorNamedStructure"); }
  CATDlgEditor* DepthEditor() { return Find<CATDlgEditor>("Frame1/expandDepth"); }
  CATDlgCheckButton* Parallel() { return Find<CATDlgCheckButton>("Frame1/CBTransferInParallel"); }
  CATDlgPushButton* Assign() { return Find<CATDlgPushButton>("Frame2/Assign"); }

  static bool Enabled(const CATDialog* control) { return control->GetSensitivity() == CATDlgEnable; }
  static bool Visible(const CATDialog* control) { return control->GetVisibility() == CATDlgShow; }
  static bool Checked(const CATDlgCheckButton* button) { return button->GetState() == CATDlgCheck; }

  std::string PressAssign() {
    EXPECT_EQ(S_OK, Assign()->UserPress());
    return Text(NameEditor()->GetText());
  }
  // "name style: title / text" of every box shown, one per line.
  static std::string Boxes() {
    std::string out;
    for (const CATDlgNotifyRecord& box : CATDlgNotify::GetJournal()) {
      char style[16];
      std::snprintf(style, sizeof style, "%#lx", box.style);
      out += std::string(box.name) + " " + style + ": " + Text(box.title) + " / " + Text(box.text) + "\n";
    }
    return out;
  }
  bool Ended() const { return life_.expired() || dialog_->IsDestructionRequested(); }

  std::unique_ptr<CATApplication> app_;
  ZELSendToV6Dialog* dialog_ = nullptr;
  std::weak_ptr<const int> life_;
};

}  // namespace

TEST_F(SendDialog, UntouchedDialogSendsAllLevelsRemoveExistingAndNothingElse) {
  TestHttpServer gateway(Answer(200, Success("Transfer of ZEL-000110/A started.")));
  UseGateway(gateway);
  Open();
  ASSERT_EQ(S_OK, dialog_->UserPressButton(CATDlgStdOK));
  ASSERT_EQ(1u, gateway.Requests().size());
  const RecordedRequest request = gateway.Requests()[0];
  EXPECT_EQ("designer", Sent(request, "UserID"));
  EXPECT_NE(std::string::npos,
            request.body.find(
                "<Attribute name=\"RevisionObid\" value=\"obid-7\"/><Attribute name=\"ExpandLevel\" "
                "value=\"-1\"/><Attribute name=\"Force\" value=\"FALSE\"/><Attribute "
                "name=\"TRANSFER_SUBSTRUCTURES_PARALLEL\" value=\"false\"/><Attribute "
                "name=\"RemoveExistingNotProvided\" value=\"TRUE\"/><Attribute name=\"TransferLoc\" "
                "value=\"FALSE\"/><Attribute name=\"TransferStructureFilterOnly\" value=\"FALSE\"/>"
                "<Attribute name=\"RevisionRule\" value=\"\"/><Attribute name=\"Variant\" value=\"\"/>"
                "<Attribute name=\"StructureFilter\" value=\"\"/><Attribute "
                "name=\"SEND_CONFIGURATION\" value=\"false\"/>"))
      << request.body;
  EXPECT_EQ("ZELError 0x4100000: Send to 3DEXPERIENCE / Transfer of ZEL-000110/A started.\n", Boxes());
  EXPECT_TRUE(Ended());
}

TEST_F(SendDialog, ParallelTransferOnlyWithAnExplicitDepth) {
  TestHttpServer gateway(Answer(200, Success("ok")));
  UseGateway(gateway);
  Open();
  ASSERT_EQ(S_OK, Radio("RadioButtonSelect")->UserSetState(CATDlgCheck));
  EXPECT_TRUE(Enabled(DepthEditor()));
  ASSERT_EQ(S_OK, Parallel()->UserSetState(CATDlgCheck));
  ASSERT_EQ(S_OK, Radio("RadioButtonAll")->UserSetState(CATDlgCheck));
  EXPECT_FALSE(Checked(Parallel()));
  EXPECT_FALSE(Enabled(Parallel()));
  EXPECT_FALSE(Enabled(DepthEditor()));
  ASSERT_EQ(S_OK, Radio("RadioButtonNone")->UserSetState(CATDlgCheck));
  EXPECT_FALSE(Enabled(Parallel()));

  ASSERT_EQ(S_OK, Radio("RadioButtonSelect")->UserSetState(CATDlgCheck));
  // A negative depth would read as "all levels" on the gateway.
  EXPECT_EQ(E_INVALIDARG, DepthEditor()->UserTypeText("-1"));
  ASSERT_EQ(S_OK, Parallel()->UserSetState(CATDlgCheck));
  ASSERT_EQ(S_OK, dialog_->UserPressButton(CATDlgStdOK));
  ASSERT_EQ(1u, gateway.Requests().size());
  EXPECT_EQ("2", Sent(gateway.Requests()[0], "ExpandLevel"));
  EXPECT_EQ("true", Sent(gateway.Requests()[0], "TRANSFER_SUBSTRUCTURES_PARALLEL"));
}

TEST_F(SendDialog, NoneSendsLevelZeroAndTypedDepthIsSent) {
  TestHttpServer gateway(Answer(200, Success("ok")));
  UseGateway(gateway);
  Open();
  ASSERT_EQ(S_OK, Radio("RadioButtonNone")->UserSetState(CATDlgCheck));
  ASSERT_EQ(S_OK, dialog_->UserPressButton(CATDlgStdOK));
  app_->ProcessDelayedDestructions();
  Open();
  ASSERT_EQ(S_OK, Radio("RadioButtonSelect")->UserSetState(CATDlgCheck));
  ASSERT_EQ(S_OK, DepthEditor()->UserTypeText("7"));
  ASSERT_EQ(S_OK, dialog_->UserPressButton(CATDlgStdOK));
  ASSERT_EQ(2u, gateway.Requests().size());
  EXPECT_EQ("0", Sent(gateway.Requests()[0], "ExpandLevel"));
  EXPECT_EQ("7", Sent(gateway.Requests()[1], "ExpandLevel"));
}

TEST_F(SendDialog, StructureFilterOnlyNeedsANameAndKeepsTheDialogUntilItHasOne) {
  TestHttpServer gateway(Answer(200, Success("ok")));
  UseGateway(gateway);
  Open();
  ASSERT_EQ(S_OK, Check("CheckButtonTransferStructureFilter")->UserSetState(CATDlgCheck));
  EXPECT_TRUE(Checked(Check("CheckButtonNamedStructure")));
  for (const char* name :
       {"CheckButtonNamedStructure", "CheckButtonTransferLoc", "CheckButtonRemoveExisting"})
    EXPECT_FALSE(Enabled(Check(name))) << name;
  EXPECT_TRUE(Enabled(NameEditor()));
  EXPECT_TRUE(Enabled(Assign()));

  ASSERT_EQ(S_OK, Check("CheckButtonTransferStructureFilter")->UserSetState(CATDlgUncheck));
  for (const char* name :
       {"CheckButtonNamedStructure", "CheckButtonTransferLoc", "CheckButtonRemoveExisting"})
    EXPECT_TRUE(Enabled(Check(name))) << name;
  EXPECT_TRUE(Checked(Check("CheckButtonNamedStructure")));
  ASSERT_EQ(S_OK, Check("CheckButtonTransferStructureFilter")->UserSetState(CATDlgCheck));

  const std::string emptyBox =
      "ZELInformation 0x4100000: Send to 3DEXPERIENCE / The structure filter has no name. Type one, or press "
      "Assign for a proposal, then press OK again.\n";
  ASSERT_EQ(S_OK, dialog_->UserPressButton(CATDlgStdOK));
  EXPECT_EQ(emptyBox, Boxes());
  EXPECT_FALSE(Ended());
  EXPECT_TRUE(Visible(dialog_));
  // Blanks alone are no name either.
  ASSERT_EQ(S_OK, NameEditor()->UserTypeText("   "));
  ASSERT_EQ(S_OK, dialog_->UserPressButton(CATDlgStdOK));
  EXPECT_EQ(emptyBox + emptyBox, Boxes());
  EXPECT_TRUE(gateway.Requests().empty());

  ASSERT_EQ(S_OK, NameEditor()->UserTypeText("  Bicycle filter "));
  ASSERT_EQ(S_OK, dialog_->UserPressButton(CATDlgStdOK));
  ASSERT_EQ(1u, gateway.Requests().size());
  EXPECT_EQ("Bicycle filter", Sent(gateway.Requests()[0], "StructureFilter"));
  EXPECT_EQ("TRUE", Sent(gateway.Requests()[0], "TransferStructureFilterOnly"));
  // Disabled switches still count by their state.
  EXPECT_EQ("TRUE", Sent(gateway.Requests()[0], "RemoveExistingNotProvided"));
  EXPECT_TRUE(Ended());
}

TEST_F(SendDialog, AssignProposesRuleAndVariantOrTheDefaultRule) {
  TestHttpServer gateway(Answer(200, Success("ok")));
  UseGateway(gateway);
  Open();
  ASSERT_EQ(S_OK, Check("CheckButtonNamedStructure")->UserSetState(CATDlgCheck));
  ASSERT_EQ(S_OK, NameEditor()->UserTypeText("typed"));
  EXPECT_EQ("Latest Released", PressAssign());

  ASSERT_EQ(S_OK, Check("CheckButtonRevisionRule")->UserSetState(CATDlgCheck));
  ASSERT_EQ(S_OK, Check("CheckButtonVariant")->UserSetState(CATDlgCheck));
  ASSERT_EQ(S_OK, Combo("SelectorListRevisionRule")->UserSelect(2));
  ASSERT_EQ(S_OK, Combo("SelectorListVariant")->UserSelect(1));
  EXPECT_EQ("Precise Only Sport", PressAssign());
  ASSERT_EQ(S_OK, Check("CheckButtonRevisionRule")->UserSetState(CATDlgUncheck));
  EXPECT_FALSE(Enabled(Combo("SelectorListRevisionRule")));
  EXPECT_EQ("Sport", PressAssign());

  ASSERT_EQ(S_OK, Check("CheckButtonRevisionRule")->UserSetState(CATDlgCheck));
  ASSERT_EQ(S_OK, dialog_->UserPressButton(CATDlgStdOK));
  ASSERT_EQ(1u, gateway.Requests().size());
  EXPECT_EQ("Precise Only", Sent(gateway.Requests()[0], "RevisionRule"));
  EXPECT_EQ("Sport", Sent(gateway.Requests()[0], "Variant"));
  EXPECT_EQ("Sport", Sent(gateway.Requests()[0], "StructureFilter"));
}

TEST_F(SendDialog, DefaultRuleIsTheLastFlaggedAndFlagsMayBeMissing) {
  Options options;
  options.rules = {"R1", "R2", "R3", "R4", "R5"};
  options.flags = {0, 1, 0, 1, 0};
  Open(options);
  EXPECT_EQ(3, Combo("SelectorListRevisionRule")->GetSelect());
  ASSERT_EQ(S_OK, Check("CheckButtonNamedStructure")->UserSetState(CATDlgCheck));
  EXPECT_EQ("R4", PressAssign());
  dialog_->RequestDelayedDestruction();
  app_->ProcessDelayedDestructions();

  // Fewer flags than rules, and no variant: nothing preselected, and Assign has nothing to propose.
  options.flags = {0};
  options.variants = {};
  Open(options);
  EXPECT_EQ(-1, Combo("SelectorListRevisionRule")->GetSelect());
  EXPECT_EQ(-1, Combo("SelectorListVariant")->GetSelect());
  ASSERT_EQ(S_OK, Check("CheckButtonNamedStructure")->UserSetState(CATDlgCheck));
  ASSERT_EQ(S_OK, Check("CheckButtonVariant")->UserSetState(CATDlgCheck));
  EXPECT_EQ("", PressAssign());
}

TEST_F(SendDialog, VariantConditionsOnlyWhenTheGatewayAllowsThem) {
  TestHttpServer gateway(Answer(200, Success("ok")));
  UseGateway(gateway);
  Options options;
  options.sendConfiguration = false;
  Open(options);
  EXPECT_FALSE(Visible(Check("CBIncludeVariantCond")));
  ASSERT_EQ(S_OK, dialog_->UserPressButton(CATDlgStdOK));
  app_->ProcessDelayedDestructions();

  Open();
  ASSERT_EQ(S_OK, Check("CBIncludeVariantCond")->UserSetState(CATDlgCheck));
  ASSERT_EQ(S_OK, dialog_->UserPressButton(CATDlgStdOK));
  ASSERT_EQ(2u, gateway.Requests().size());
  EXPECT_EQ("false", Sent(gateway.Requests()[0], "SEND_CONFIGURATION"));
  EXPECT_EQ("true", Sent(gateway.Requests()[1], "SEND_CONFIGURATION"));
}

TEST_F(SendDialog, ArasEditionHidesRulesVariantsAndAssign) {
  ZELTestAccess::SetModule(ZELModuleAras);
  Open();
  for (const char* name : {"CheckButtonRevisionRule", "CheckButtonVariant", "CBIncludeVariantCond"})
    EXPECT_FALSE(Visible(Check(name))) << name;
  EXPECT_FALSE(Visible(Combo("SelectorListRevisionRule")));
  EXPECT_FALSE(Visible(Combo("SelectorListVariant")));
  EXPECT_FALSE(Visible(Assign()));
  EXPECT_TRUE(Visible(Check("CheckButtonNamedStructure")));
  EXPECT_TRUE(Visible(NameEditor()));
}

TEST_F(SendDialog, WithoutAServerTextTheDialogSaysItself) {
  {
    const std::string dead = "http://127.0.0.1:" + std::to_string(FreePort()) + "/gw";
    setenv("ZEL_SERVER_URL", dead.c_str(), 1);
    Open();
    ASSERT_EQ(S_OK, dialog_->UserPressButton(CATDlgStdOK));
    EXPECT_EQ(
        "ZELError 0x10100000: Send to 3DEXPERIENCE / The transfer to 3DEXPERIENCE could not be requested: "
        "the gateway did not answer. Check the server address and try again.\n",
        Boxes());
    EXPECT_TRUE(Ended());
    app_->ProcessDelayedDestructions();
  }
  CATDlgNotify::ClearJournal();
  {
    // Only a message the client does not show: the dialog's own success text.
    TestHttpServer gateway(Answer(200, ReplyWith("", "<Message code=\"100001\">hidden</Message>")));
    UseGateway(gateway);
    Open();
    ASSERT_EQ(S_OK, dialog_->UserPressButton(CATDlgStdOK));
    EXPECT_EQ("ZELError 0x4100000: Send to 3DEXPERIENCE / The PDM accepted the transfer to 3DEXPERIENCE.\n",
              Boxes());
  }
}

TEST_F(SendDialog, WindowCloseSendsNothing) {
  TestHttpServer gateway(Answer(200, Success("ok")));
  UseGateway(gateway);
  Open();
  ASSERT_EQ(S_OK, dialog_->UserCloseWindow());
  EXPECT_TRUE(Ended());
  EXPECT_FALSE(Visible(dialog_));
  EXPECT_TRUE(gateway.Requests().empty());
  EXPECT_EQ("", Boxes());
}

// The reference gateway refuses any switch spelling, rule or variant it did not offer, so its acceptance
// shows that what the dialog sends is what the gateway understands.
TEST_F(SendDialog, ReferenceGatewayAcceptsWhatTheDialogSends) {
  SeededGateway gateway("zel-send-dialog");
  ASSERT_FALSE(gateway.Url().empty()) << "the gateway did not start";
  setenv("ZEL_SERVER_URL", gateway.Url().c_str(), 1);
  ASSERT_EQ(S_OK, ZELPlmCommands::DoLogin("designer", "designer", "Engineering", "Designer"));
  ZELQueryResult* found = nullptr;
  ASSERT_EQ(S_OK, ZELPlmCommands::RunQuery("designer", "designer", "Engineering", "Designer", "", "Part",
                                           CATListValCATUnicodeString{"item_id"},
                                           CATListValCATUnicodeString{"ZEL-000120"}, found));
  std::unique_ptr<ZELQueryResult> result(found);
  CATUnicodeString obid;
  for (int i = 0; i < result->GetItemCount(); ++i)
    if (result->GetItem(i)->GetAttributeValue("item_revision_id") == "A")
      obid = result->GetItem(i)->GetObid();
  ASSERT_FALSE(obid.IsNull());
  Options options;
  options.rules = {};
  options.flags = {};
  options.variants = {};
  options.sendConfiguration = false;
  ASSERT_EQ(S_OK, ZELPlmCommands::DoGetSendTo3DXOptions(obid, options.rules, &options.flags, options.variants,
                                                        options.sendConfiguration));

  Open(options);
  dialog_->SetItemObidToTransfer(obid);
  ASSERT_EQ(S_OK, Radio("RadioButtonSelect")->UserSetState(CATDlgCheck));
  ASSERT_EQ(S_OK, DepthEditor()->UserTypeText("1"));
  for (const char* name : {"CheckButtonForce", "CheckButtonTransferLoc", "CheckButtonRevisionRule",
                           "CheckButtonVariant", "CheckButtonNamedStructure", "CBIncludeVariantCond"})
    ASSERT_EQ(S_OK, Check(name)->UserSetState(CATDlgCheck)) << name;
  ASSERT_EQ(S_OK, Parallel()->UserSetState(CATDlgCheck));
  ASSERT_EQ(S_OK, Combo("SelectorListRevisionRule")->UserSelect(1));
  ASSERT_EQ(S_OK, Combo("SelectorListVariant")->UserSelect(1));
  EXPECT_EQ("Latest Released Sport", PressAssign());
  ASSERT_EQ(S_OK, dialog_->UserPressButton(CATDlgStdOK));
  ASSERT_EQ(1u, CATDlgNotify::GetJournal().size()) << Boxes();
  EXPECT_EQ(kInformationBox, CATDlgNotify::GetJournal()[0].style);
  // The gateway's own report, not the dialog's fallback: the revision and the depth asked for.
  const std::string report = Text(CATDlgNotify::GetJournal()[0].text);
  EXPECT_NE(std::string::npos, report.find("ZEL-000120/A")) << report;
  EXPECT_NE(std::string::npos, report.find("1 level")) << report;
  app_->ProcessDelayedDestructions();

  CATDlgNotify::ClearJournal();
  Open(options);
  dialog_->SetItemObidToTransfer(obid);
  ASSERT_EQ(S_OK, Check("CheckButtonTransferStructureFilter")->UserSetState(CATDlgCheck));
  ASSERT_EQ(S_OK, NameEditor()->UserTypeText("Wheel only"));
  ASSERT_EQ(S_OK, dialog_->UserPressButton(CATDlgStdOK));
  ASSERT_EQ(1u, CATDlgNotify::GetJournal().size()) << Boxes();
  EXPECT_EQ(kInformationBox, CATDlgNotify::GetJournal()[0].style);
  EXPECT_NE(std::string::npos, Text(CATDlgNotify::GetJournal()[0].text).find("\"Wheel only\"")) << Boxes();
}
