#include "CATClientScript.h"

#include <cstdio>
#include <exception>
#include <iostream>

#include "CATAfrCommandFactory.h"
#include "CATClientDialogs.h"
#include "CATClientNavigation.h"
#include "CATCmdContainer.h"
#include "CATCommandHeader.h"
#include "CATDlgCheckButton.h"
#include "CATDlgCombo.h"
#include "CATDlgEditor.h"
#include "CATDlgMultiList.h"
#include "CATDlgNotify.h"
#include "CATDlgPushButton.h"
#include "CATDlgRadioButton.h"
#include "CATFrmLayout.h"
#include "CATFrmWindow.h"
#include "CATIAlias.h"
#include "CATInstantiateComponent.h"
#include "CATLib.h"
#include "CATPLMOpenServicesFactory.h"

namespace {

// Longest line a script may hold; longer ones are refused unread.
const size_t kMaxLine = 64 * 1024;
const int kMaxWaitMs = 600000;

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::string();
  size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

// Splits off the first blank-separated word; the rest keeps its inner blanks.
std::string Shift(std::string& text) {
  text = Trim(text);
  size_t blank = text.find_first_of(" \t");
  std::string word = text.substr(0, blank);
  text = blank == std::string::npos ? std::string() : Trim(text.substr(blank));
  return word;
}

std::vector<std::string> Words(std::string text) {
  std::vector<std::string> words;
  for (std::string word = Shift(text); !word.empty(); word = Shift(text)) words.push_back(word);
  return words;
}

// A whole decimal number within [min, max].
bool ParseInt(const std::string& text, int min, int max, int& value) {
  if (text.empty() || text.size() > 10) return false;
  size_t start = text[0] == '-' ? 1 : 0;
  if (start == text.size()) return false;
  for (size_t i = start; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  long long parsed = std::stoll(text);
  if (parsed < min || parsed > max) return false;
  value = static_cast<int>(parsed);
  return true;
}

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string Hex(unsigned long value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx", value);
  return text;
}

int WindowNumber(CATFrmWindow* window) {
  CATFrmLayout* layout = CATFrmLayout::GetCurrentLayout();
  if (!layout || !window) return 0;
  CATListVal<CATFrmWindow*> windows = layout->GetWindowList();
  return windows.Locate(window);
}

const char* KindName(CATFrmEditorKind kind) {
  return kind == CATFrmNavigationEditor ? "explorer" : kind == CATFrmSearchEditor ? "search" : "3D";
}

std::string Alias(CATBaseUnknown* object) {
  CATIAlias_var alias(object);
  return alias != NULL_var ? alias->GetAlias().ConvertToUTF8() : std::string("?");
}

void ReleaseAll(CATListPtrCATIPLMComponent& components) {
  for (CATIPLMComponent* component : components) component->Release();
  components.RemoveAll();
}

}  // namespace

const std::vector<CATClientScript::Verb>& CATClientScript::Verbs() {
  static const std::vector<Verb> verbs = {
      {"help", &CATClientScript::Help, "help"},
      {"echo", &CATClientScript::Echo, "echo TEXT"},
      {"env", &CATClientScript::Env, "env NAME [VALUE]"},
      {"unset", &CATClientScript::Unset, "unset NAME"},
      {"wait", &CATClientScript::Wait, "wait MS"},
      {"quit", &CATClientScript::Quit, "quit"},
      {"workbench", &CATClientScript::Workbench, "workbench [NAME]"},
      {"workshop", &CATClientScript::Workshop, "workshop [NAME]"},
      {"open", &CATClientScript::Open, "open TYPE EXTERNALID [REVISION]"},
      {"open-explorer", &CATClientScript::OpenExplorer, "open-explorer TYPE EXTERNALID [REVISION]"},
      {"insert", &CATClientScript::Insert, "insert TYPE EXTERNALID [REVISION]"},
      {"search", &CATClientScript::Search, "search TYPE EXTERNALID [REVISION]"},
      {"windows", &CATClientScript::Windows, "windows"},
      {"activate", &CATClientScript::Activate, "activate N"},
      {"close-window", &CATClientScript::CloseWindow, "close-window N"},
      {"minimize", &CATClientScript::Minimize, "minimize N"},
      {"restore", &CATClientScript::Restore, "restore N"},
      {"select", &CATClientScript::Select, "select PATH"},
      {"select-add", &CATClientScript::SelectAdd, "select-add PATH"},
      {"clear-selection", &CATClientScript::ClearSelection, "clear-selection"},
      {"selection", &CATClientScript::Selection, "selection"},
      {"tree", &CATClientScript::Tree, "tree"},
      {"load", &CATClientScript::Load, "load LIBRARY"},
      {"start", &CATClientScript::Start, "start CLASS [LIBRARY]"},
      {"start-header", &CATClientScript::StartHeader, "start-header NAME"},
      {"headers", &CATClientScript::Headers, "headers"},
      {"addins", &CATClientScript::Addins, "addins"},
      {"dialogs", &CATClientScript::Dialogs, "dialogs"},
      {"check", &CATClientScript::Check, "check DIALOG/CONTROL"},
      {"uncheck", &CATClientScript::Uncheck, "uncheck DIALOG/CONTROL"},
      {"type", &CATClientScript::Type, "type DIALOG/CONTROL [TEXT]"},
      {"choose", &CATClientScript::Choose, "choose DIALOG/CONTROL LINE"},
      {"press", &CATClientScript::Press, "press DIALOG/CONTROL | press DIALOG BUTTON"},
      {"close", &CATClientScript::Close, "close DIALOG"},
      {"answer", &CATClientScript::Answer, "answer N"},
      {"boxes", &CATClientScript::Boxes, "boxes"},
  };
  return verbs;
}

int CATClientScript::Run(std::istream& in) {
  int failures = 0;
  std::string line;
  while (!quit_ && std::getline(in, line)) {
    if (!RunLine(line)) {
      ++failures;
      if (strict_) break;
    }
  }
  return failures;
}

bool CATClientScript::RunLine(const std::string& raw) {
  failed_ = false;
  if (raw.size() > kMaxLine) {
    Say("CNEXT> " + raw.substr(0, 60) + "...");
    Fail("line longer than " + std::to_string(kMaxLine) + " bytes");
    return false;
  }
  std::string line = Trim(raw);
  if (line.empty()) return true;
  if (line[0] == '#') {
    Say(line);
    return true;
  }
  Say("CNEXT> " + line);
  std::string arguments = line;
  std::string name = Shift(arguments);
  const Verb* verb = nullptr;
  for (const Verb& candidate : Verbs())
    if (name == candidate.name) verb = &candidate;
  if (!verb) {
    Fail("unknown command \"" + name + "\" (try help)");
    return false;
  }
  // Whatever a command or the platform throws ends this line only.
  try {
    (this->*verb->handler)(arguments);
  } catch (const std::exception& exception) {
    Fail(std::string("internal error: ") + exception.what());
  } catch (...) {
    Fail("internal error");
  }
  if (CATApplication* application = session_.GetApplication()) application->RunFor(0);
  return !failed_;
}

void CATClientScript::Say(const std::string& text) {
  std::cout << text << '\n' << std::flush;
}

void CATClientScript::Fail(const std::string& reason) {
  failed_ = true;
  Say("error: " + reason);
}

CATFrmWindow* CATClientScript::WindowArgument(const std::string& arguments) {
  CATFrmLayout* layout = session_.GetFrame()->GetLayout();
  int number = 0;
  if (Trim(arguments).empty()) {
    Fail("usage: a window number (see windows)");
    return nullptr;
  }
  if (!ParseInt(Trim(arguments), 1, layout->GetWindowCount(), number)) {
    Fail("no window \"" + Trim(arguments) + "\" (" + std::to_string(layout->GetWindowCount()) + " open)");
    return nullptr;
  }
  return layout->GetWindowList()[number];
}

void CATClientScript::Help(const std::string&) {
  for (const Verb& verb : Verbs()) Say(std::string("  ") + verb.usage);
}

void CATClientScript::Echo(const std::string& arguments) {
  Say(arguments);
}

void CATClientScript::Env(const std::string& arguments) {
  std::string value = arguments;
  std::string name = Shift(value);
  if (name.empty() || name.find('=') != std::string::npos) {
    Fail("usage: env NAME [VALUE]");
    return;
  }
  if (value.empty()) {
    const char* current = CATGetEnv(name.c_str());
    Say(current ? name + "=" + current : name + " is not set");
    return;
  }
  CATSetEnv(name.c_str(), value.c_str());
}

void CATClientScript::Unset(const std::string& arguments) {
  std::vector<std::string> words = Words(arguments);
  if (words.size() != 1 || words[0].find('=') != std::string::npos) {
    Fail("usage: unset NAME");
    return;
  }
  CATSetEnv(words[0].c_str(), nullptr);
}

void CATClientScript::Wait(const std::string& arguments) {
  int ms = 0;
  if (!ParseInt(Trim(arguments), 0, kMaxWaitMs, ms)) {
    Fail("usage: wait MS (0 to " + std::to_string(kMaxWaitMs) + ")");
    return;
  }
  session_.GetApplication()->RunFor(ms);
}

void CATClientScript::Quit(const std::string&) {
  quit_ = true;
}

void CATClientScript::Workbench(const std::string& arguments) {
  std::vector<std::string> words = Words(arguments);
  if (words.size() > 1) {
    Fail("usage: workbench [NAME]");
  } else if (words.empty()) {
    Say(session_.GetFrame()->GetCurrentWorkbench().str());
  } else {
    session_.GetFrame()->SetCurrentWorkbench(words[0]);
  }
}

void CATClientScript::Workshop(const std::string& arguments) {
  std::vector<std::string> words = Words(arguments);
  if (words.size() > 1) {
    Fail("usage: workshop [NAME]");
  } else if (words.empty()) {
    Say(session_.GetFrame()->GetCurrentWorkshop().str());
  } else {
    session_.GetFrame()->SetCurrentWorkshop(words[0]);
  }
}

void CATClientScript::Query(const std::string& arguments, const char* verb) {
  std::vector<std::string> words = Words(arguments);
  if (words.size() < 2 || words.size() > 3) {
    Fail(std::string("usage: ") + verb + " TYPE EXTERNALID [REVISION]");
    return;
  }
  const std::string revision = words.size() == 3 ? words[2] : std::string();
  const std::string what = words[0] + " " + words[1] + (revision.empty() ? "" : " " + revision);
  CATListPtrCATIPLMComponent found;
  std::string error;
  if (!session_.Find(words[0], words[1], revision, found, error)) {
    Fail(error);
    return;
  }
  CATFrmLayout* layout = session_.GetFrame()->GetLayout();
  const std::string name = verb;
  if (name == "search") {
    CATFrmEditor* search = session_.GetFrame()->GetSearchEditor();
    search->RemoveAllRoots();
    for (CATIPLMComponent* component : found) search->AddRootComponent(component);
    Say("found " + std::to_string(search->GetRootCount()) +
        (search->GetRootCount() == 1 ? " object" : " objects"));
    CATListValCATIPLMNavOccurrence_var roots;
    search->ListRootOccurrences(roots);
    for (int i = 1; i <= roots.Size(); ++i)
      Say("  " + std::to_string(i) + " " + CATClientNavigation::PathText(CATPathElement(roots[i])) + ": " +
          CATClientNavigation::Label(roots[i]));
    ReleaseAll(found);
    return;
  }
  if (found.Size() == 0) {
    Fail("no " + what + " in the PLM database");
    return;
  }
  CATIPLMOpenServices_var services;
  if (name == "open" && FAILED(CATPLMOpenServicesFactory::GetPLMOpenServices(services))) {
    Fail("no open services");
    ReleaseAll(found);
    return;
  }
  CATFrmWindow* current = layout->GetCurrentWindow();
  if (name == "insert" && !current) {
    Fail("no current window to insert into");
    ReleaseAll(found);
    return;
  }
  for (CATIPLMComponent* component : found) {
    if (name == "insert") {
      HRESULT rc = current->GetEditor()->AddRootComponent(component);
      if (FAILED(rc))
        Fail("cannot insert \"" + Alias(component) + "\" into window " +
             std::to_string(WindowNumber(current)));
      else
        Say((rc == S_FALSE ? "already in window " : "inserted into window ") +
            std::to_string(WindowNumber(current)) + ": \"" + Alias(component) + "\"");
      continue;
    }
    HRESULT rc = name == "open" ? services->OpenInNewWindow(component)
                                : layout->OpenWindow(component, CATFrmNavigationEditor);
    CATFrmWindow* window = layout->GetCurrentWindow();
    if (FAILED(rc) || !window) {
      Fail("cannot open \"" + Alias(component) + "\" in a window");
      continue;
    }
    Say("opened window " + std::to_string(WindowNumber(window)) + " " +
        KindName(window->GetEditor()->GetKind()) + " " + Quoted(window->GetBaseName().ConvertToUTF8()));
  }
  ReleaseAll(found);
}

void CATClientScript::Open(const std::string& arguments) {
  Query(arguments, "open");
}

void CATClientScript::OpenExplorer(const std::string& arguments) {
  Query(arguments, "open-explorer");
}

void CATClientScript::Insert(const std::string& arguments) {
  Query(arguments, "insert");
}

void CATClientScript::Search(const std::string& arguments) {
  Query(arguments, "search");
}

void CATClientScript::Windows(const std::string&) {
  CATFrmLayout* layout = session_.GetFrame()->GetLayout();
  if (layout->GetWindowCount() == 0) {
    Say("no windows");
    return;
  }
  int number = 0;
  for (CATFrmWindow* window : layout->GetWindowList()) {
    CATFrmEditor* editor = window->GetEditor();
    Say(std::string(window == layout->GetCurrentWindow() ? "* " : "  ") + std::to_string(++number) + " " +
        KindName(editor->GetKind()) + " " + Quoted(window->GetBaseName().ConvertToUTF8()) + " roots=" +
        std::to_string(editor->GetRootCount()) + " selected=" + std::to_string(editor->GetCSO()->Size()) +
        " workbench=" + window->GetWorkbench().str() + " workshop=" + window->GetWorkshop().str() +
        (window->IsMinimized() ? " minimized" : ""));
  }
}

void CATClientScript::Activate(const std::string& arguments) {
  if (CATFrmWindow* window = WindowArgument(arguments))
    session_.GetFrame()->GetLayout()->SetCurrentWindow(window);
}

void CATClientScript::CloseWindow(const std::string& arguments) {
  if (CATFrmWindow* window = WindowArgument(arguments)) session_.GetFrame()->GetLayout()->CloseWindow(window);
}

void CATClientScript::Minimize(const std::string& arguments) {
  if (CATFrmWindow* window = WindowArgument(arguments)) window->Minimize();
}

void CATClientScript::Restore(const std::string& arguments) {
  CATFrmWindow* window = WindowArgument(arguments);
  if (window && window->Restore() == S_FALSE) Say("window " + Trim(arguments) + " was not minimized");
}

void CATClientScript::SelectPath(const std::string& arguments, bool add) {
  CATFrmEditor* editor = session_.SelectionEditor();
  if (!editor) {
    Fail("no window to select in");
    return;
  }
  if (Trim(arguments).empty()) {
    Fail(add ? "usage: select-add PATH" : "usage: select PATH");
    return;
  }
  std::string error;
  CATPathElement* path = CATClientNavigation::Resolve(editor, Trim(arguments), error);
  if (!path) {
    Fail(error);
    return;
  }
  if (!add) editor->GetCSO()->Empty();
  HRESULT rc = editor->GetCSO()->AddElement(path);
  Say((rc == S_FALSE ? "already selected " : "selected ") + CATClientNavigation::PathText(*path));
  path->Release();
}

void CATClientScript::Select(const std::string& arguments) {
  SelectPath(arguments, false);
}

void CATClientScript::SelectAdd(const std::string& arguments) {
  SelectPath(arguments, true);
}

void CATClientScript::ClearSelection(const std::string&) {
  if (CATFrmEditor* editor = session_.SelectionEditor())
    editor->GetCSO()->Empty();
  else
    Fail("no window to select in");
}

void CATClientScript::Selection(const std::string&) {
  CATFrmEditor* editor = session_.SelectionEditor();
  if (!editor) {
    Fail("no window to select in");
    return;
  }
  CATFrmWindow* window = editor->GetWindow();
  Say(window ? "selection in window " + std::to_string(WindowNumber(window)) + ":"
             : "selection in the search:");
  CATCSO* cso = editor->GetCSO();
  if (cso->IsEmpty()) Say("  (empty)");
  int number = 0;
  cso->InitElementList();
  while (CATBaseUnknown* element = cso->NextElement()) {
    CATPathElement_var path(element);
    if (path == NULL_var) continue;
    Say("  " + std::to_string(++number) + " " + CATClientNavigation::PathText(*path) + ": " +
        CATClientNavigation::Label((*path)[path->GetSize() - 1]));
  }
}

void CATClientScript::Tree(const std::string&) {
  CATFrmWindow* window = session_.GetFrame()->GetLayout()->GetCurrentWindow();
  if (!window) {
    Fail("no current window");
    return;
  }
  Say("window " + std::to_string(WindowNumber(window)) + " " + KindName(window->GetEditor()->GetKind()) +
      " " + Quoted(window->GetBaseName().ConvertToUTF8()) + ":");
  std::vector<std::string> lines;
  CATClientNavigation::TreeLines(window->GetEditor(), lines);
  for (const std::string& line : lines) Say(line);
}

void CATClientScript::Load(const std::string& arguments) {
  std::vector<std::string> words = Words(arguments);
  if (words.size() != 1) {
    Fail("usage: load LIBRARY");
    return;
  }
  if (FAILED(CATLoadLibrary(words[0].c_str())))
    Fail("cannot load library \"" + words[0] + "\"");
  else
    Say("loaded " + words[0]);
}

void CATClientScript::Start(const std::string& arguments) {
  std::vector<std::string> words = Words(arguments);
  if (words.empty() || words.size() > 2) {
    Fail("usage: start CLASS [LIBRARY]");
    return;
  }
  const std::string library = words.size() == 2 ? words[1] : std::string();
  CATCommand* command = nullptr;
  HRESULT rc = CATAfrCommandFactory::CreateCommand(words[0], library, command);
  if (rc == E_INVALIDARG) {
    Fail("\"" + words[0] + "\" is not a class name");
  } else if (FAILED(rc)) {
    Fail("no command from fctCreate" + words[0] + (library.empty() ? "" : " of library " + library));
  } else if (FAILED(session_.GetFrame()->StartCommand(command))) {
    Fail("command " + words[0] + " failed to start");
  } else {
    Say("started " + words[0]);
  }
}

void CATClientScript::StartHeader(const std::string& arguments) {
  std::vector<std::string> words = Words(arguments);
  if (words.size() != 1) {
    Fail("usage: start-header NAME");
    return;
  }
  CATCommandHeader* header = GetCmdHdr(words[0]);
  if (!header)
    Fail("no command header \"" + words[0] + "\"");
  else if (!header->IsAvailable())
    Fail("command header \"" + words[0] + "\" is unavailable");
  else if (FAILED(header->StartCommand()))
    Fail("cannot start " + header->GetClassName().str() + " of library " + header->GetLibrary().str());
  else
    Say("started " + header->GetClassName().str());
}

void CATClientScript::Headers(const std::string&) {
  for (CATCommandHeader* header : session_.GetFrame()->ListHeaders())
    Say("  " + header->GetID().str() + " " + header->GetLibrary().str() + "/" + header->GetClassName().str() +
        (header->IsAvailable() ? " available" : " unavailable"));
}

void CATClientScript::Addins(const std::string&) {
  const std::vector<CATApplicationFrame::Addin>& addins = session_.GetFrame()->GetAddins();
  if (addins.empty()) Say("no add-ins");
  for (const CATApplicationFrame::Addin& addin : addins) {
    std::string line = "  " + addin.component.str() + " " + addin.interfaceName.str();
    if (!addin.toolbars) {
      line += " no toolbars";
    } else {
      line += " toolbars " + addin.toolbars->GetName().str() + ":";
      for (const CATCmdContainer::Starter& starter : addin.toolbars->ListAllStarters())
        line += " " + starter.name.str() + "(" + starter.header.str() + ")";
    }
    Say(line);
  }
}

void CATClientScript::Dialogs(const std::string&) {
  std::vector<CATDlgDialog*> dialogs = CATClientDialogs::List();
  if (dialogs.empty()) Say("no open dialogs");
  for (CATDlgDialog* dialog : dialogs) {
    std::string description = dialog->Describe();
    for (size_t start = 0; start < description.size();) {
      size_t end = description.find('\n', start);
      if (end == std::string::npos) end = description.size();
      Say(description.substr(start, end - start));
      start = end + 1;
    }
  }
}

void CATClientScript::Acted(HRESULT rc, const std::string& what) {
  if (rc == S_FALSE)
    Say("no change");
  else if (rc == E_INVALIDARG)
    Fail(what + " refuses that");
  else if (FAILED(rc))
    Fail(what + " cannot be reached (hidden, insensitive, locked or without that button)");
}

void CATClientScript::SetChecked(const std::string& arguments, bool checked) {
  std::string path = Trim(arguments), error;
  CATDialog* control = CATClientDialogs::FindControl(path, error);
  if (!control) {
    Fail(error);
  } else if (auto* check = dynamic_cast<CATDlgCheckButton*>(control)) {
    Acted(check->UserSetState(checked ? CATDlgCheck : CATDlgUncheck), path);
  } else if (auto* radio = dynamic_cast<CATDlgRadioButton*>(control)) {
    if (!checked)
      Fail("a radio button is unchecked by checking another one of its group");
    else
      Acted(radio->UserSetState(CATDlgCheck), path);
  } else {
    Fail(path + " is no check or radio button but a " + control->GetKindName());
  }
}

void CATClientScript::Check(const std::string& arguments) {
  SetChecked(arguments, true);
}

void CATClientScript::Uncheck(const std::string& arguments) {
  SetChecked(arguments, false);
}

void CATClientScript::Type(const std::string& arguments) {
  std::string text = arguments;
  std::string path = Shift(text), error;
  CATDialog* control = CATClientDialogs::FindControl(path, error);
  auto* combo = dynamic_cast<CATDlgCombo*>(control);
  if (!control) {
    Fail(error);
  } else if (auto* editor = dynamic_cast<CATDlgEditor*>(control)) {
    Acted(editor->UserTypeText(text.c_str()), path);
  } else if (combo && (combo->GetStyle() & CATDlgCmbEntry)) {
    Acted(combo->UserTypeText(text.c_str()), path);
  } else if (combo) {
    Fail(path + " takes no typed text: choose one of its lines");
  } else {
    Fail(path + " is no editor or entry combo but a " + control->GetKindName());
  }
}

void CATClientScript::Choose(const std::string& arguments) {
  std::string line = arguments;
  std::string path = Shift(line), error;
  CATDialog* control = CATClientDialogs::FindControl(path, error);
  if (!control) {
    Fail(error);
    return;
  }
  const CATUnicodeString wanted(line);
  if (auto* combo = dynamic_cast<CATDlgCombo*>(control)) {
    for (int i = 0; i < combo->GetLineCount(); ++i) {
      CATUnicodeString text;
      if (SUCCEEDED(combo->GetLine(text, i)) && text == wanted) {
        Acted(combo->UserSelect(i), path);
        return;
      }
    }
  } else if (auto* list = dynamic_cast<CATDlgMultiList*>(control)) {
    for (int row = 0; row < list->GetLineCount(); ++row) {
      CATUnicodeString text;
      if (SUCCEEDED(list->GetColumnItem(0, text, row)) && text == wanted) {
        Acted(list->UserSelect(&row, 1), path);
        return;
      }
    }
  } else {
    Fail(path + " is no combo or list but a " + control->GetKindName());
    return;
  }
  Fail("no line " + Quoted(line) + " in " + path);
}

void CATClientScript::Press(const std::string& arguments) {
  std::vector<std::string> words = Words(arguments);
  if (words.size() == 1 && words[0].find('/') != std::string::npos) {
    std::string error;
    CATDialog* control = CATClientDialogs::FindControl(words[0], error);
    if (!control)
      Fail(error);
    else if (auto* button = dynamic_cast<CATDlgPushButton*>(control))
      Acted(button->UserPress(), words[0]);
    else
      Fail(words[0] + " is no push button but a " + control->GetKindName());
    return;
  }
  if (words.size() != 2) {
    Fail("usage: press DIALOG/CONTROL | press DIALOG BUTTON");
    return;
  }
  CATDlgDialog* dialog = CATClientDialogs::Find(words[0]);
  if (!dialog) {
    Fail("no open dialog \"" + words[0] + "\"");
    return;
  }
  for (int b = 0; b < CATDlgStdButtonCount; ++b) {
    auto button = static_cast<CATDlgStdButton>(b);
    if (words[1] == CATDlgDialog::GetButtonName(button)) {
      Acted(dialog->UserPressButton(button), words[0] + " " + words[1]);
      return;
    }
  }
  Fail("no standard button \"" + words[1] + "\" (OK, Cancel, Apply, Close, Preview, Help, Yes, No)");
}

void CATClientScript::Close(const std::string& arguments) {
  std::vector<std::string> words = Words(arguments);
  CATDlgDialog* dialog = words.size() == 1 ? CATClientDialogs::Find(words[0]) : nullptr;
  if (words.size() != 1)
    Fail("usage: close DIALOG");
  else if (!dialog)
    Fail("no open dialog \"" + words[0] + "\"");
  else
    Acted(dialog->UserCloseWindow(), words[0]);
}

void CATClientScript::Answer(const std::string& arguments) {
  int answer = 0;
  if (!ParseInt(Trim(arguments), 0, 1000, answer)) {
    Fail("usage: answer N (1 OK or Yes, 2 Cancel, 3 No)");
    return;
  }
  CATDlgNotify::QueueAnswer(answer);
}

void CATClientScript::Boxes(const std::string&) {
  const std::vector<CATDlgNotifyRecord>& journal = CATDlgNotify::GetJournal();
  if (journal.empty()) Say("no boxes");
  int number = 0;
  for (const CATDlgNotifyRecord& box : journal)
    Say("  " + std::to_string(++number) + " " + box.name.str() + " style=" + Hex(box.style) +
        " answer=" + std::to_string(box.answer) + " title=" + Quoted(box.title.ConvertToUTF8()) +
        " text=" + Quoted(box.text.ConvertToUTF8()));
}
