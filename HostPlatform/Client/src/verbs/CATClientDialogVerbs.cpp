// The dialogs family: the open dialogs and what the user does with their controls, the answers of the
// notification boxes to come and the journal of the boxes shown.
#include <algorithm>
#include <climits>
#include <vector>

#include "CATApplicationFrame.h"
#include "CATClientDialogs.h"
#include "CATClientScript.h"
#include "CATClientSession.h"
#include "CATClientText.h"
#include "CATClientVerbs.h"
#include "CATDlgCheckButton.h"
#include "CATDlgCombo.h"
#include "CATDlgEditor.h"
#include "CATDlgMultiList.h"
#include "CATDlgNotify.h"
#include "CATDlgPushButton.h"
#include "CATDlgRadioButton.h"
#include "CATOptionsDialog.h"

namespace {

// Reports the outcome of a user action on a dialog object.
void Acted(CATClientScript& script, HRESULT rc, const std::string& what) {
  if (rc == S_FALSE)
    script.Say("no change");
  else if (rc == E_INVALIDARG)
    script.Fail(what + " refuses that");
  else if (FAILED(rc))
    script.Fail(what + " cannot be reached (hidden, insensitive, locked or without that button)");
}

void SetChecked(CATClientScript& script, const std::string& arguments, bool checked) {
  std::string path = CATClientText::Trim(arguments), error;
  CATDialog* control = CATClientDialogs::FindControl(path, error);
  if (!control) {
    script.Fail(error);
  } else if (auto* check = dynamic_cast<CATDlgCheckButton*>(control)) {
    Acted(script, check->UserSetState(checked ? CATDlgCheck : CATDlgUncheck), path);
  } else if (auto* radio = dynamic_cast<CATDlgRadioButton*>(control)) {
    if (!checked)
      script.Fail("a radio button is unchecked by checking another one of its group");
    else
      Acted(script, radio->UserSetState(CATDlgCheck), path);
  } else {
    script.Fail(path + " is no check or radio button but a " + control->GetKindName());
  }
}

}  // namespace

namespace CATClientVerbs {

void Dialogs(CATClientScript& script, const std::string&) {
  std::vector<CATDlgDialog*> dialogs = CATClientDialogs::List();
  if (dialogs.empty()) script.Say("no open dialogs");
  for (CATDlgDialog* dialog : dialogs) {
    std::string description = dialog->Describe();
    for (size_t start = 0; start < description.size();) {
      size_t end = description.find('\n', start);
      if (end == std::string::npos) end = description.size();
      script.Say(description.substr(start, end - start));
      start = end + 1;
    }
  }
}

void Check(CATClientScript& script, const std::string& arguments) {
  SetChecked(script, arguments, true);
}

void Uncheck(CATClientScript& script, const std::string& arguments) {
  SetChecked(script, arguments, false);
}

void Type(CATClientScript& script, const std::string& arguments) {
  std::string text = arguments;
  std::string path = CATClientText::Shift(text), error;
  CATDialog* control = CATClientDialogs::FindControl(path, error);
  auto* combo = dynamic_cast<CATDlgCombo*>(control);
  if (!control)
    script.Fail(error);
  else if (auto* editor = dynamic_cast<CATDlgEditor*>(control))
    Acted(script, editor->UserTypeText(text.c_str()), path);
  else if (combo && (combo->GetStyle() & CATDlgCmbEntry))
    Acted(script, combo->UserTypeText(text.c_str()), path);
  else if (combo)
    script.Fail(path + " takes no typed text: choose one of its lines");
  else
    script.Fail(path + " is no editor or entry combo but a " + control->GetKindName());
}

void Choose(CATClientScript& script, const std::string& arguments) {
  std::string line = arguments;
  std::string path = CATClientText::Shift(line), error;
  CATDialog* control = CATClientDialogs::FindControl(path, error);
  if (!control) {
    script.Fail(error);
    return;
  }
  const CATUnicodeString wanted(line);
  if (auto* combo = dynamic_cast<CATDlgCombo*>(control)) {
    for (int i = 0; i < combo->GetLineCount(); ++i) {
      CATUnicodeString text;
      if (SUCCEEDED(combo->GetLine(text, i)) && text == wanted) {
        Acted(script, combo->UserSelect(i), path);
        return;
      }
    }
  } else if (auto* list = dynamic_cast<CATDlgMultiList*>(control)) {
    for (int row = 0; row < list->GetLineCount(); ++row) {
      CATUnicodeString text;
      if (SUCCEEDED(list->GetColumnItem(0, text, row)) && text == wanted) {
        Acted(script, list->UserSelect(&row, 1), path);
        return;
      }
    }
  } else {
    script.Fail(path + " is no combo or list but a " + control->GetKindName());
    return;
  }
  script.Fail("no line " + CATClientText::Quoted(line) + " in " + path);
}

// Adds a line to the selection of a multi-selection list, as a control-click does.
void ChooseAdd(CATClientScript& script, const std::string& arguments) {
  std::string line = arguments;
  std::string path = CATClientText::Shift(line), error;
  CATDialog* control = CATClientDialogs::FindControl(path, error);
  auto* list = dynamic_cast<CATDlgMultiList*>(control);
  if (!control) {
    script.Fail(error);
    return;
  }
  if (!list) {
    script.Fail(path + " is no list but a " + control->GetKindName());
    return;
  }
  const CATUnicodeString wanted(line);
  for (int row = 0; row < list->GetLineCount(); ++row) {
    CATUnicodeString text;
    if (FAILED(list->GetColumnItem(0, text, row)) || !(text == wanted)) continue;
    std::vector<int> rows(static_cast<size_t>(list->GetSelectCount()));
    rows.resize(static_cast<size_t>(list->GetSelect(rows.data(), static_cast<int>(rows.size()))));
    if (std::find(rows.begin(), rows.end(), row) != rows.end()) {
      Acted(script, S_FALSE, path);
      return;
    }
    rows.push_back(row);
    Acted(script, list->UserSelect(rows.data(), static_cast<int>(rows.size())), path);
    return;
  }
  script.Fail("no line " + CATClientText::Quoted(line) + " in " + path);
}

void Press(CATClientScript& script, const std::string& arguments) {
  std::vector<std::string> words = CATClientText::Words(arguments);
  if (words.size() == 1 && words[0].find('/') != std::string::npos) {
    std::string error;
    CATDialog* control = CATClientDialogs::FindControl(words[0], error);
    if (!control)
      script.Fail(error);
    else if (auto* button = dynamic_cast<CATDlgPushButton*>(control))
      Acted(script, button->UserPress(), words[0]);
    else
      script.Fail(words[0] + " is no push button but a " + control->GetKindName());
    return;
  }
  if (words.size() != 2) {
    script.Fail("usage: press DIALOG/CONTROL | press DIALOG BUTTON");
    return;
  }
  CATDlgDialog* dialog = CATClientDialogs::Find(words[0]);
  if (!dialog) {
    script.Fail("no open dialog \"" + words[0] + "\"");
    return;
  }
  for (int b = 0; b < CATDlgStdButtonCount; ++b) {
    auto button = static_cast<CATDlgStdButton>(b);
    if (words[1] == CATDlgDialog::GetButtonName(button)) {
      Acted(script, dialog->UserPressButton(button), words[0] + " " + words[1]);
      return;
    }
  }
  script.Fail("no standard button \"" + words[1] + "\" (OK, Cancel, Apply, Close, Preview, Help, Yes, No)");
}

void Close(CATClientScript& script, const std::string& arguments) {
  std::vector<std::string> words = CATClientText::Words(arguments);
  CATDlgDialog* dialog = words.size() == 1 ? CATClientDialogs::Find(words[0]) : nullptr;
  if (words.size() != 1)
    script.Fail("usage: close DIALOG");
  else if (!dialog)
    script.Fail("no open dialog \"" + words[0] + "\"");
  else
    Acted(script, dialog->UserCloseWindow(), words[0]);
}

void Answer(CATClientScript& script, const std::string& arguments) {
  const std::string text = CATClientText::Trim(arguments);
  int answer = 0;
  // A box answers only with one of its buttons; any other number would reach the command as an answer
  // that no box can give.
  if (!CATClientText::ParseInt(text, INT_MIN, INT_MAX, answer))
    script.Fail("usage: answer N (1 OK or Yes, 2 Cancel, 3 No)");
  else if (answer != CATDlgNfyAnswerOK && answer != CATDlgNfyAnswerCancel && answer != CATDlgNfyAnswerNo)
    script.Fail("no answer " + text + ": a box answers 1 (OK or Yes), 2 (Cancel) or 3 (No)");
  else
    CATDlgNotify::QueueAnswer(answer);
}

void Boxes(CATClientScript& script, const std::string&) {
  const std::vector<CATDlgNotifyRecord>& journal = CATDlgNotify::GetJournal();
  if (journal.empty()) script.Say("no boxes");
  int number = 0;
  for (const CATDlgNotifyRecord& box : journal)
    script.Say("  " + std::to_string(++number) + " " + box.name.str() +
               " style=" + CATClientText::Hex(box.style) + " answer=" + std::to_string(box.answer) +
               " title=" + CATClientText::Quoted(box.title.ConvertToUTF8()) +
               " text=" + CATClientText::Quoted(box.text.ConvertToUTF8()));
}

// Tools/Options: the pages the dictionaries declare, driven afterwards with the other dialog verbs.
void Options(CATClientScript& script, const std::string& arguments) {
  if (!CATClientText::Trim(arguments).empty()) {
    script.Fail("usage: options");
    return;
  }
  if (CATClientDialogs::Find("ToolsOptions")) {
    script.Fail("the options dialog is already open");
    return;
  }
  CATApplicationFrame* frame = script.Session().GetFrame();
  CATOptionsDialog* dialog = new CATOptionsDialog(frame->GetApplicationDocument(), "ToolsOptions");
  const int pages = dialog->Build();
  dialog->SetVisibility(CATDlgShow);
  script.Say("options dialog ToolsOptions with " + std::to_string(pages) + (pages == 1 ? " page" : " pages"));
}

}  // namespace CATClientVerbs
