// Controls driven as a user would: what each accepts or refuses, and what each action notifies.
#include <gtest/gtest.h>

#include "CATDlgCheckButton.h"
#include "CATDlgCombo.h"
#include "CATDlgDialog.h"
#include "CATDlgEditor.h"
#include "CATDlgFrame.h"
#include "CATDlgLock.h"
#include "CATDlgMultiList.h"
#include "CATDlgRadioButton.h"
#include "CommandRecorder.h"

namespace {

using zeltest::Recorder;

using Events = std::vector<std::string>;

class Controls : public testing::Test {
 protected:
  void SetUp() override { window_.SetVisibility(CATDlgShow); }
  CATDlgDialog window_{nullptr, "window", CATDlgGridLayout | CATDlgWndBtnOKCancel};
  Recorder recorder_;
};

std::vector<CATULong> States(const std::vector<CATDlgRadioButton*>& radios) {
  std::vector<CATULong> states;
  for (auto* radio : radios) states.push_back(radio->GetState());
  return states;
}

}  // namespace

TEST_F(Controls, RadioButtonsOfOneFrameOrOneNamedGroupExcludeEachOther) {
  auto* depth = new CATDlgFrame(&window_, "Depth");
  auto* all = new CATDlgRadioButton(depth, "All");
  auto* none = new CATDlgRadioButton(depth, "None");
  auto* select = new CATDlgRadioButton(depth, "Select");
  auto* other = new CATDlgRadioButton(&window_, "Other");  // another container: another group
  auto* left = new CATDlgRadioButton(depth, "Left");
  auto* right = new CATDlgRadioButton(&window_, "Right");
  left->SetGroup("side");
  right->SetGroup("side");
  for (auto* radio : {all, none, select, left, right})
    recorder_.Watch(radio, radio->GetRadBModifyNotification());

  all->SetState(CATDlgCheck);
  other->SetState(CATDlgCheck);
  left->SetState(CATDlgCheck);
  EXPECT_TRUE(recorder_.events.empty());  // set from code: silent

  EXPECT_EQ(S_OK, select->UserSetState(CATDlgCheck));
  EXPECT_EQ((std::vector<CATULong>{0, 0, 1, 1, 1}), States({all, none, select, other, left}));
  // Only the button the user checked reports; the one it unchecked stays silent.
  EXPECT_EQ((Events{"Select CATDlgRadBModifyNotification"}), recorder_.events);

  EXPECT_EQ(S_FALSE, select->UserSetState(CATDlgCheck));
  EXPECT_EQ(E_FAIL, select->UserSetState(CATDlgUncheck));  // a user cannot uncheck a radio button
  EXPECT_EQ(CATDlgCheck, select->GetState());
  EXPECT_EQ(1u, recorder_.events.size());

  EXPECT_EQ(S_OK, right->UserSetState(CATDlgCheck));
  EXPECT_EQ((std::vector<CATULong>{0, 1, 1, 1}), States({left, right, select, other}));
  EXPECT_EQ(2u, left->GetGroupMembers().size());

  // Code may ask for the notification, even without a change of state.
  recorder_.events.clear();
  right->SetState(CATDlgCheck, 1);
  EXPECT_EQ((Events{"Right CATDlgRadBModifyNotification"}), recorder_.events);
}

TEST_F(Controls, CheckButtonsNotifyOnlyRealUserChanges) {
  auto* force = new CATDlgCheckButton(&window_, "Force");
  recorder_.Watch(force, force->GetChkBModifyNotification());
  force->SetState(CATDlgCheck);
  EXPECT_EQ(S_FALSE, force->UserSetState(CATDlgCheck));
  EXPECT_EQ(S_OK, force->UserSetState(CATDlgUncheck));
  force->SetSensitivity(CATDlgDisable);
  EXPECT_EQ(E_FAIL, force->UserSetState(CATDlgCheck));
  EXPECT_EQ(CATDlgUncheck, force->GetState());
  EXPECT_EQ(1u, recorder_.events.size());
}

TEST_F(Controls, EditorStylesFilterWhatTheUserTypes) {
  auto* depth = new CATDlgEditor(&window_, "depth", CATDlgEdtInteger);
  EXPECT_EQ(S_OK, depth->SetIntegerRange(-5, 99));
  EXPECT_EQ(E_INVALIDARG, depth->SetIntegerRange(3, 2));
  recorder_.Watch(depth, depth->GetEditModifyNotification(), "modify");
  recorder_.Watch(depth, depth->GetEditChangeNotification(), "change");
  EXPECT_EQ(S_OK, depth->UserTypeText("42"));
  EXPECT_EQ(42, depth->GetIntegerValue());
  EXPECT_EQ(
      (Events{"depth CATDlgEditModifyNotification modify", "depth CATDlgEditChangeNotification change"}),
      recorder_.events);
  for (const char* bad : {"4a", "", " 4", "+4", "-", "1e2", "100", "-6", "99999999999", "--1", "４"})
    EXPECT_EQ(E_INVALIDARG, depth->UserTypeText(bad)) << bad;
  EXPECT_EQ(S_OK, depth->UserTypeText("-5"));
  EXPECT_EQ(E_INVALIDARG, depth->SetText("two"));
  EXPECT_EQ(E_INVALIDARG, depth->SetIntegerValue(100));
  EXPECT_EQ(-5, depth->GetIntegerValue());
  EXPECT_EQ(4u, recorder_.events.size());

  auto* shown = new CATDlgEditor(&window_, "shown", CATDlgEdtReadOnly);
  EXPECT_EQ(E_FAIL, shown->UserTypeText("x"));
  EXPECT_EQ(S_OK, shown->SetText("set by code"));

  auto* name = new CATDlgEditor(&window_, "name");
  EXPECT_EQ(S_OK, name->SetMaxLength(5));
  EXPECT_EQ(E_INVALIDARG, name->UserTypeText("sixsix"));
  EXPECT_EQ(E_INVALIDARG, name->UserTypeText("a\nb"));
  EXPECT_EQ(S_OK, name->UserTypeText("fiveé"));
  EXPECT_EQ(E_FAIL, name->SetLine("one-line editors take no lines"));
  EXPECT_EQ(CATUnicodeString("fiveé"), name->GetText());

  auto* log = new CATDlgEditor(&window_, "log", CATDlgEdtMultiline);
  EXPECT_EQ(S_OK, log->SetLine("second"));
  EXPECT_EQ(S_OK, log->SetLine("first", 0));
  EXPECT_EQ(S_OK, log->SetLine(""));
  EXPECT_EQ(S_OK, log->SetLine("last\nreally"));
  EXPECT_EQ(E_INVALIDARG, log->SetLine("far", 9));
  EXPECT_EQ(5, log->GetLineCount());
  EXPECT_EQ(CATUnicodeString("first\nsecond\n\nlast\nreally"), log->GetText());
  CATUnicodeString line;
  EXPECT_EQ(E_INVALIDARG, log->GetLine(line, 5));
  EXPECT_EQ(S_OK, log->UserTypeText("a\nb"));
  EXPECT_EQ(2, log->GetLineCount());
}

TEST_F(Controls, UnreachableControlsRefuseTheUser) {
  auto* frame = new CATDlgFrame(&window_, "frame");
  auto* editor = new CATDlgEditor(frame, "editor");
  EXPECT_EQ(S_OK, editor->UserTypeText("a"));
  frame->SetSensitivity(CATDlgDisable);
  EXPECT_EQ(E_FAIL, editor->UserTypeText("b"));
  EXPECT_EQ(CATDlgEnable, editor->GetSensitivity());  // its own setting is untouched
  frame->SetSensitivity(CATDlgEnable);
  frame->SetVisibility(CATDlgHide);
  EXPECT_EQ(E_FAIL, editor->UserTypeText("c"));
  frame->SetVisibility(CATDlgShow);
  window_.SetVisibility(CATDlgHide);
  EXPECT_EQ(E_FAIL, editor->UserTypeText("d"));
  EXPECT_EQ(CATUnicodeString("a"), editor->GetText());
}

TEST_F(Controls, ComboSelectionRefusesLinesThatDoNotExist) {
  auto* rules = new CATDlgCombo(&window_, "rules", CATDlgCmbDropDown);
  for (const char* rule : {"Latest", "Released", "Working"}) rules->SetLine(rule);
  recorder_.Watch(rules, rules->GetComboSelectNotification());
  EXPECT_EQ(S_OK, rules->SetSelect(1));
  EXPECT_TRUE(recorder_.events.empty());
  EXPECT_EQ(S_OK, rules->UserSelect(2));
  for (int bad : {3, -1, -7, 1 << 30}) EXPECT_EQ(E_INVALIDARG, rules->UserSelect(bad)) << bad;
  EXPECT_EQ(E_INVALIDARG, rules->SetSelect(3));
  EXPECT_EQ(2, rules->GetSelect());
  EXPECT_EQ(1u, recorder_.events.size());

  EXPECT_EQ(S_OK, rules->SetLine("Baseline", 0));  // the selection follows its line
  EXPECT_EQ(CATUnicodeString("Working"), rules->GetText());
  EXPECT_EQ(E_INVALIDARG, rules->SetLine("x", 6));
  EXPECT_EQ(S_OK, rules->SetSelect(CATUnicodeString("Released")));
  EXPECT_EQ(2, rules->GetSelect());
  EXPECT_EQ(S_FALSE, rules->SetSelect(CATUnicodeString()));
  EXPECT_EQ(-1, rules->GetSelect());
  EXPECT_TRUE(rules->GetText().IsNull());
  EXPECT_EQ(E_FAIL, rules->UserTypeText("typed"));  // not an entry combo

  auto* entry = new CATDlgCombo(&window_, "entry", CATDlgCmbEntry);
  entry->SetLine("known");
  recorder_.Watch(entry, entry->GetComboModifyNotification());
  EXPECT_EQ(S_OK, entry->UserTypeText("free text"));
  EXPECT_EQ(-1, entry->GetSelect());
  EXPECT_EQ(CATUnicodeString("free text"), entry->GetText());
  EXPECT_EQ(S_OK, entry->UserTypeText("known"));
  EXPECT_EQ(0, entry->GetSelect());
  entry->ClearLine();
  EXPECT_EQ(-1, entry->GetSelect());
  EXPECT_EQ(0, entry->GetLineCount());
}

TEST_F(Controls, MultiListCellsAndSelections) {
  auto* list = new CATDlgMultiList(&window_, "list");
  const CATUnicodeString titles[] = {"Id", "Name"};
  EXPECT_EQ(E_INVALIDARG, list->SetColumnTitles(2, nullptr));
  EXPECT_EQ(S_OK, list->SetColumnTitles(2, titles));
  EXPECT_EQ(S_OK, list->SetColumnItem(0, "1"));
  EXPECT_EQ(S_OK, list->SetColumnItem(1, "bolt", 0));
  EXPECT_EQ(S_OK, list->SetColumnItem(0, "2"));
  EXPECT_EQ(E_INVALIDARG, list->SetColumnItem(2, "no such column"));
  EXPECT_EQ(E_INVALIDARG, list->SetColumnItem(0, "no such line", 2));
  EXPECT_EQ(2, list->GetLineCount());
  CATListValCATUnicodeString three;
  for (const char* t : {"Id", "Name", "Type"}) three.Append(t);
  EXPECT_EQ(S_OK, list->SetColumnTitles(three));
  CATUnicodeString cell("unchanged");
  EXPECT_EQ(S_OK, list->GetColumnItem(2, cell, 1));  // lines grew an empty cell
  EXPECT_TRUE(cell.IsNull());
  EXPECT_EQ(E_INVALIDARG, list->GetColumnItem(0, cell, -1));
  EXPECT_EQ(E_INVALIDARG, list->SetColumnVisibility(3, CATDlgHide));

  recorder_.Watch(list, list->GetListSelectNotification());
  const int both[] = {1, 0}, beyond[] = {2}, negative[] = {-1}, one[] = {1};
  EXPECT_EQ(E_INVALIDARG, list->UserSelect(both, 2));  // single selection
  EXPECT_EQ(E_INVALIDARG, list->UserSelect(beyond, 1));
  EXPECT_EQ(E_INVALIDARG, list->UserSelect(negative, 1));
  EXPECT_EQ(E_INVALIDARG, list->UserSelect(nullptr, 1));
  EXPECT_EQ(S_OK, list->UserSelect(one, 1));
  EXPECT_EQ(1, list->GetSelectCount());
  EXPECT_EQ(S_OK, list->UserSelect(nullptr, 0));
  EXPECT_EQ(0, list->GetSelectCount());
  EXPECT_EQ(2u, recorder_.events.size());

  auto* multi = new CATDlgMultiList(&window_, "multi", CATDlgLstMultisel);
  multi->SetColumnTitles(1, titles);
  for (const char* id : {"a", "b", "c"}) multi->SetColumnItem(0, id);
  const int twice[] = {1, 1}, unordered[] = {2, 0};
  EXPECT_EQ(E_INVALIDARG, multi->SetSelect(twice, 2));
  EXPECT_EQ(S_OK, multi->SetSelect(unordered, 2));
  int rows[4] = {-9, -9, -9, -9};
  EXPECT_EQ(1, multi->GetSelect(rows, 1));
  EXPECT_EQ(2, multi->GetSelect(rows, 4));
  EXPECT_EQ(0, rows[0]);
  EXPECT_EQ(2, rows[1]);
  EXPECT_EQ(-9, rows[2]);
  multi->ClearLine();
  EXPECT_EQ(0, multi->GetSelectCount());
}

TEST_F(Controls, StandardButtonsFollowTheStyleAndTheirSensitivity) {
  for (auto button : {CATDlgStdOK, CATDlgStdCancel, CATDlgStdClose, CATDlgStdApply})
    recorder_.Watch(&window_, window_.GetButtonNotification(button));
  recorder_.Watch(&window_, window_.GetWindCloseNotification());
  EXPECT_EQ(S_OK, window_.UserPressButton(CATDlgStdOK));
  EXPECT_EQ(E_FAIL, window_.UserPressButton(CATDlgStdClose));  // not shown by this window
  EXPECT_EQ(E_FAIL, window_.UserPressButton(CATDlgStdButtonCount));
  window_.SetOKSensitivity(CATDlgDisable);
  EXPECT_EQ(E_FAIL, window_.UserPressButton(CATDlgStdOK));
  EXPECT_EQ(S_OK, window_.UserPressButton(CATDlgStdCancel));
  window_.SetSensitivity(CATDlgDisable);
  EXPECT_EQ(E_FAIL, window_.UserPressButton(CATDlgStdCancel));
  EXPECT_EQ(S_OK, window_.UserCloseWindow());
  window_.SetVisibility(CATDlgHide);
  EXPECT_EQ(E_FAIL, window_.UserCloseWindow());
  EXPECT_EQ((Events{"window CATDlgDiaOKNotification", "window CATDlgDiaCANCELNotification",
                    "window CATDlgWindCloseNotification"}),
            recorder_.events);

  CATDlgDialog bare(nullptr, "bare", CATDlgWndBtnOKCancel | CATDlgWndBtnClose | CATDlgWndNoButton);
  bare.SetVisibility(CATDlgShow);
  EXPECT_EQ(0, bare.HasButton(CATDlgStdOK));
  EXPECT_EQ(E_FAIL, bare.UserPressButton(CATDlgStdClose));
  CATDlgDialog yesNo(nullptr, "question", CATDlgWndBtnYesNo | CATDlgWndBtnApply);
  EXPECT_EQ(1, yesNo.HasButton(CATDlgStdNo));
  EXPECT_EQ(1, yesNo.HasButton(CATDlgStdApply));
  EXPECT_EQ(0, yesNo.HasButton(CATDlgStdOK));
}

TEST_F(Controls, ALockHoldsItsAssociatedDialogsInsensitive) {
  auto* frame = new CATDlgFrame(&window_, "options");
  auto* lock = new CATDlgLock(frame, "lock");
  auto* url = new CATDlgEditor(frame, "url");
  auto* port = new CATDlgEditor(frame, "port");
  EXPECT_EQ(S_OK, lock->AddAssociatedDialog(url));
  EXPECT_EQ(S_FALSE, lock->AddAssociatedDialog(url));
  EXPECT_EQ(S_OK, lock->AddAssociatedDialog(port));
  for (CATDialog* bad : {static_cast<CATDialog*>(nullptr), static_cast<CATDialog*>(lock),
                         static_cast<CATDialog*>(frame), static_cast<CATDialog*>(&window_)})
    EXPECT_EQ(E_INVALIDARG, lock->AddAssociatedDialog(bad));

  recorder_.Watch(lock, lock->GetLockModifyNotification());
  EXPECT_EQ(S_OK, lock->UserSetLocked(1));
  EXPECT_EQ(S_FALSE, lock->UserSetLocked(1));
  EXPECT_EQ(1u, recorder_.events.size());
  EXPECT_EQ(E_FAIL, url->UserTypeText("http://x"));
  EXPECT_EQ(CATDlgEnable, url->GetSensitivity());
  EXPECT_EQ(1, url->IsHeldByLock());

  delete port;  // the lock forgets it
  EXPECT_EQ(1u, lock->GetAssociatedDialogs().size());
  lock->SetLocked(0);
  EXPECT_EQ(S_OK, url->UserTypeText("http://x"));
  lock->SetLocked(1);
  delete lock;  // and a destroyed lock holds nothing any more
  EXPECT_EQ(0, url->IsHeldByLock());
  EXPECT_EQ(S_OK, url->UserTypeText("http://y"));
}

TEST_F(Controls, ChildrenByPathFocusAndGridPlacement) {
  auto* frame = new CATDlgFrame(&window_, "Frame1");
  auto* editor = new CATDlgEditor(frame, "expandDepth");
  EXPECT_EQ(editor, window_.FindChild("Frame1/expandDepth"));
  EXPECT_EQ(frame, window_.FindChild("Frame1"));
  for (const char* bad : {"", "expandDepth", "Frame1/", "/Frame1", "Frame1//expandDepth", "Frame1/x/y"})
    EXPECT_EQ(nullptr, window_.FindChild(bad)) << bad;
  EXPECT_EQ(&window_, editor->GetWindow());

  editor->SetFocus();
  EXPECT_EQ(1, editor->HasFocus());
  CATDlgDialog other(nullptr, "other");
  CATDlgEditor foreign(&other, "foreign");
  window_.SetFocusOn(&foreign);  // not an object of this window
  EXPECT_EQ(editor, window_.GetFocus());
  editor->SetFocus();
  delete editor;
  EXPECT_EQ(nullptr, window_.GetFocus());

  EXPECT_EQ(S_OK, frame->SetGridConstraints(2, 0, 1, 2, 0x7fffUL));
  EXPECT_EQ(E_INVALIDARG, frame->SetGridConstraints(-1, 0, 1, 1, CATGRID_LEFT));
  EXPECT_EQ(E_INVALIDARG, frame->SetGridConstraints(0, 0, 0, 1, CATGRID_LEFT));
  const CATDlgGridConstraints& grid = frame->GetGridConstraints();
  EXPECT_EQ(2, grid.row);
  EXPECT_EQ(2, grid.columnSpan);
  EXPECT_EQ(0x7fffUL, grid.justification);  // as given, whatever the bits
  EXPECT_EQ(S_OK, window_.SetGridColumnResizable(3));
  EXPECT_EQ(E_INVALIDARG, window_.SetGridRowResizable(-1));
  EXPECT_EQ(1, window_.IsGridColumnResizable(3));
  EXPECT_EQ(0, window_.IsGridColumnResizable(0));

  int red = -1, green = -1, blue = -1;
  EXPECT_EQ(S_FALSE, frame->GetBackgroundColor(red, green, blue));
  EXPECT_EQ(E_INVALIDARG, frame->SetBackgroundColor(256, 0, 0));
  EXPECT_EQ(S_OK, frame->SetBackgroundColor(255, 255, 254));
  EXPECT_EQ(S_OK, frame->GetBackgroundColor(red, green, blue));
  EXPECT_EQ(254, blue);
}
