// The query dialogs where a client script cannot reach: input remembered from an earlier client run whose
// attributes the gateway no longer offers, settings whose lists disagree, results the reference gateway never
// gives (items without attributes, more attributes than columns), the selection rule of "SendToV6", and
// queries that must not be sent.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "CATApplication.h"
#include "CATDlgCombo.h"
#include "CATDlgEditor.h"
#include "CATDlgMultiList.h"
#include "CATDlgNotify.h"
#include "CATDlgPushButton.h"
#include "CATSysSettingRepository.h"
#include "TestHttpServer.h"
#include "TransportFixture.h"
#include "ZELCommandsTestAccess.h"
#include "ZELLoginData.h"
#include "ZELPlmCommands.h"
#include "ZELQueryItemDialog.h"
#include "ZELQueryItemResultDialog.h"
#include "ZELQueryResult.h"

using namespace zeltest;

namespace {

std::string Text(const CATUnicodeString& text) {
  return text.ConvertToUTF8();
}

CATListValCATUnicodeString List(std::initializer_list<const char*> items) {
  CATListValCATUnicodeString list;
  for (const char* item : items) list.Append(item);
  return list;
}

std::string Joined(const CATListValCATUnicodeString& list) {
  std::string out;
  for (int i = 1; i <= list.Size(); ++i) out += (i > 1 ? "|" : "") + Text(list[i]);
  return out;
}

class QueryDialogs : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    app_ = std::make_unique<CATApplication>("3DEXPERIENCE");
    ZELTestAccess::SetModule(ZELModuleTeamcenter);
    CATDlgNotify::ClearJournal();
  }
  void TearDown() override {
    for (CATDlgDialog* dialog : dialogs_) dialog->RequestDelayedDestruction();
    app_->ProcessDelayedDestructions();
    app_.reset();
    ZELTestAccess::SetModule(ZELModuleTeamcenter);
    CATSysSettingRepository::ResetAll();
    TransportTest::TearDown();
  }
  void UseGateway(const TestHttpServer& server) { setenv("ZEL_SERVER_URL", server.Url("/gw").c_str(), 1); }

  ZELQueryItemDialog* OpenQuery(const CATListValCATUnicodeString& displayNames,
                                const CATListValCATUnicodeString& names) {
    auto* dialog = new ZELQueryItemDialog(nullptr, "query_item_in_tc");
    dialogs_.push_back(dialog);
    dialog->Build();
    dialog->SetItemTypes(List({"Item", "Part", "Document"}));
    dialog->BuildAttributes(displayNames, names);
    dialog->RestoreDialogValues();
    dialog->SetVisibility(CATDlgShow);
    return dialog;
  }
  ZELQueryItemResultDialog* OpenResult(const ZELQueryResult& result) {
    auto* dialog = new ZELQueryItemResultDialog(nullptr, "query_item_result_dialog");
    dialogs_.push_back(dialog);
    dialog->Build();
    dialog->SetQueryResult(&result);
    dialog->SetVisibility(CATDlgShow);
    return dialog;
  }
  static std::string EditorText(CATDialog* dialog, const char* name) {
    auto* editor = dynamic_cast<CATDlgEditor*>(dialog->FindChild(name));
    return editor ? Text(editor->GetText()) : "<no editor>";
  }
  static std::string ComboText(CATDialog* dialog) {
    auto* combo = dynamic_cast<CATDlgCombo*>(dialog->FindChild("itemTypeCombo"));
    return combo ? Text(combo->GetText()) : "<no combo>";
  }

  std::unique_ptr<CATApplication> app_;
  std::vector<CATDlgDialog*> dialogs_;
};

std::unique_ptr<ZELQueryResult> TwoItems() {
  auto result = std::make_unique<ZELQueryResult>();
  result->AddItem(std::make_unique<ZELQueryResultItem>("ZEL-1/A-Wheel", "Part", "obid-1"));
  result->AddItem(std::make_unique<ZELQueryResultItem>("ZEL-2/A-Rim", "Part", "obid-2"));
  result->AddDisplayNode("object_string", "Object");
  return result;
}

}  // namespace

// The memory is process-wide, so the whole life of remembered input is one test, in the order a user meets
// it.
TEST_F(QueryDialogs, FirstDialogOfARunRestoresTheRepositoryOnlyForOfferedAttributes) {
  CATSysSettingRepository* repository = CATSysSettingRepository::GetRepository("ZELDialogInput");
  ASSERT_NE(nullptr, repository);
  repository->WriteAttr("TCUser", "keep");
  repository->WriteAttr("QueryItemType", "Part");
  repository->WriteArray("QueryAttrNames", List({"item_id", "retired", "", "object_name"}));
  repository->WriteArray("QueryAttrValues", List({"ZEL-0001*", "stale", "orphan", ""}));
  ASSERT_EQ(S_OK, repository->SaveRepository());

  ZELQueryItemDialog* first = OpenQuery(List({"Item ID", "Name"}), List({"item_id", "object_name"}));
  EXPECT_EQ("Part", ComboText(first));
  EXPECT_EQ("ZEL-0001*", EditorText(first, "item_id"));
  EXPECT_EQ("", EditorText(first, "object_name"));

  // Later dialogs of the run take the memory: a changed repository is not read again, and the attribute
  // the first dialog did not offer was never taken in.
  repository->WriteArray("QueryAttrValues", List({"changed", "stale", "orphan", "changed"}));
  ZELQueryItemDialog* second =
      OpenQuery(List({"Item ID", "Name", "Retired"}), List({"item_id", "object_name", "retired"}));
  EXPECT_EQ("ZEL-0001*", EditorText(second, "item_id"));
  EXPECT_EQ("", EditorText(second, "object_name"));
  EXPECT_EQ("", EditorText(second, "retired"));

  // Clear empties the dialog, not the memory.
  dynamic_cast<CATDlgPushButton*>(second->FindChild("ClearInput"))->UserPress();
  EXPECT_EQ("", ComboText(second));
  EXPECT_EQ("", EditorText(second, "item_id"));
  ZELQueryItemDialog* third = OpenQuery(List({"Item ID"}), List({"item_id"}));
  EXPECT_EQ("Part", ComboText(third));
  EXPECT_EQ("ZEL-0001*", EditorText(third, "item_id"));

  // Storing replaces memory and repository; the login data beside it stays.
  third->StoreDialogValues("Document", List({"item_id", "object_name"}), List({"", "Manual"}));
  repository->Release();
  CATSysSettingRepository::ResetAll();
  repository = CATSysSettingRepository::GetRepository("ZELDialogInput");
  ASSERT_NE(nullptr, repository);
  CATUnicodeString value;
  CATListValCATUnicodeString names, values;
  EXPECT_EQ(S_OK, repository->ReadAttr("TCUser", value));
  EXPECT_EQ("keep", Text(value));
  EXPECT_EQ(S_OK, repository->ReadAttr("QueryItemType", value));
  EXPECT_EQ("Document", Text(value));
  EXPECT_EQ(S_OK, repository->ReadArray("QueryAttrNames", names));
  EXPECT_EQ(S_OK, repository->ReadArray("QueryAttrValues", values));
  EXPECT_EQ("item_id|object_name", Joined(names));
  EXPECT_EQ("|Manual", Joined(values));
  repository->Release();
  ZELQueryItemDialog* fourth = OpenQuery(List({"Item ID", "Name"}), List({"item_id", "object_name"}));
  EXPECT_EQ("Document", ComboText(fourth));
  EXPECT_EQ("Manual", EditorText(fourth, "object_name"));

  // Without a remembered type, Clear empties the fields but keeps a type just chosen.
  fourth->StoreDialogValues("", List({"item_id", "object_name"}), List({"", "Manual"}));
  ZELQueryItemDialog* fifth = OpenQuery(List({"Item ID", "Name"}), List({"item_id", "object_name"}));
  ASSERT_EQ(S_OK, dynamic_cast<CATDlgCombo*>(fifth->FindChild("itemTypeCombo"))->UserSelect(0));
  dynamic_cast<CATDlgPushButton*>(fifth->FindChild("ClearInput"))->UserPress();
  EXPECT_EQ("Item", ComboText(fifth));
  EXPECT_EQ("", EditorText(fifth, "object_name"));
}

TEST_F(QueryDialogs, DisagreeingSettingsListsGiveTheTypeListOnly) {
  ZELQueryItemDialog* dialog =
      OpenQuery(List({"Item ID", "Name"}), List({"item_id", "object_name", "object_desc"}));
  CATListValCATUnicodeString names, values;
  dialog->GetAttributes(names, values);
  EXPECT_EQ(0, names.Size());
  EXPECT_EQ(nullptr, dialog->FindChild("item_id"));
  EXPECT_EQ(3, dynamic_cast<CATDlgCombo*>(dialog->FindChild("itemTypeCombo"))->GetLineCount());
}

TEST_F(QueryDialogs, ItemsWithoutAttributesGiveThreeColumnsAndWideResultsAreCut) {
  std::unique_ptr<ZELQueryResult> plain = TwoItems();
  ZELQueryItemResultDialog* dialog = OpenResult(*plain);
  auto* list = dynamic_cast<CATDlgMultiList*>(dialog->FindChild("MultiList1"));
  ASSERT_NE(nullptr, list);
  ASSERT_EQ(3, list->GetColumnCount());
  CATUnicodeString title, cell;
  list->GetColumnTitle(title, 1);
  EXPECT_EQ("Object", Text(title));
  list->GetColumnTitle(title, 2);
  EXPECT_EQ("object_type", Text(title));
  EXPECT_EQ(CATDlgHide, list->GetColumnVisibility(0));
  ASSERT_EQ(2, list->GetLineCount());
  list->GetColumnItem(0, cell, 1);
  EXPECT_EQ("obid-2", Text(cell));
  list->GetColumnItem(1, cell, 1);
  EXPECT_EQ("ZEL-2/A-Rim", Text(cell));

  // 120 attributes, the second item lacking the first one: 100 columns titled, the rest left out.
  ZELQueryResult wide;
  auto first = std::make_unique<ZELQueryResultItem>("n1", "t1", "o1");
  auto second = std::make_unique<ZELQueryResultItem>("n2", "t2", "o2");
  for (int i = 0; i < 120; ++i) {
    const std::string name = "attr" + std::to_string(i);
    first->AddAttribute(name.c_str(), ("v" + std::to_string(i)).c_str());
    if (i > 0) second->AddAttribute(name.c_str(), "w");
  }
  wide.AddItem(std::move(first));
  wide.AddItem(std::move(second));
  wide.AddDisplayNode("attr99", "Last shown");
  list = dynamic_cast<CATDlgMultiList*>(OpenResult(wide)->FindChild("MultiList1"));
  ASSERT_EQ(3 + ZELQueryItemResultDialog::kMaxAttributeColumns, list->GetColumnCount());
  list->GetColumnTitle(title, 102);
  EXPECT_EQ("Last shown", Text(title));
  list->GetColumnItem(102, cell, 0);
  EXPECT_EQ("v99", Text(cell));
  list->GetColumnItem(3, cell, 1);
  EXPECT_EQ("", Text(cell));
}

TEST_F(QueryDialogs, SendToV6AsksForOptionsOnlyWithExactlyOneLine) {
  TestHttpServer gateway(Answer(200, ReplyWith("", "<Error code=\"1601\">no such item</Error>")));
  UseGateway(gateway);
  std::unique_ptr<ZELQueryResult> result = TwoItems();
  ZELQueryItemResultDialog* dialog = OpenResult(*result);
  auto* list = dynamic_cast<CATDlgMultiList*>(dialog->FindChild("MultiList1"));
  auto* send = dynamic_cast<CATDlgPushButton*>(dialog->FindChild("Frame1/SendToV6"));
  ASSERT_NE(nullptr, send);
  EXPECT_EQ(CATDlgDisable, send->GetSensitivity());

  const int both[] = {0, 1};
  ASSERT_EQ(S_OK, list->UserSelect(both, 2));
  EXPECT_EQ(CATDlgEnable, send->GetSensitivity());
  EXPECT_EQ(S_OK, send->UserPress());
  EXPECT_TRUE(gateway.Requests().empty());
  EXPECT_TRUE(CATDlgNotify::GetJournal().empty());

  const int second = 1;
  ASSERT_EQ(S_OK, list->UserSelect(&second, 1));
  EXPECT_EQ(S_OK, send->UserPress());
  ASSERT_EQ(1u, gateway.Requests().size());
  EXPECT_NE(std::string::npos,
            gateway.Requests()[0].body.find("<Attribute name=\"RevisionObid\" value=\"obid-2\"/>"));
  // The refusal is told by the options request itself; the result dialog stays for another try.
  EXPECT_EQ(1u, CATDlgNotify::GetJournal().size());
  EXPECT_EQ(CATDlgShow, dialog->GetVisibility());

  ASSERT_EQ(S_OK, list->UserSelect(nullptr, 0));
  EXPECT_EQ(CATDlgDisable, send->GetSensitivity());

  ZELTestAccess::SetModule(ZELModuleCIMDatabase);
  send = dynamic_cast<CATDlgPushButton*>(OpenResult(*result)->FindChild("Frame1/SendToV6"));
  EXPECT_EQ(CATDlgHide, send->GetVisibility());
}

TEST_F(QueryDialogs, QueriesThatCannotTravelAsTypedAreNotSentAndFailuresShowNothing) {
  TestHttpServer gateway(Answer(200, ReplyWith("", "<Error code=\"1504\">no such type</Error>")));
  UseGateway(gateway);
  EXPECT_EQ(E_FAIL, ZELPlmCommands::DoQuery("Part", List({"object_name"}), List({"a@EOL@b"})));
  EXPECT_TRUE(gateway.Requests().empty());
  EXPECT_EQ(E_FAIL, ZELPlmCommands::DoQuery("Gadget", List({"object_name"}), List({"a*"})));
  EXPECT_EQ(1u, gateway.Requests().size());
  EXPECT_TRUE(CATDlgNotify::GetJournal().empty());
}
