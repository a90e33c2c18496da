// The windows family: workbench and workshop, the windows of the layout, the selection and the tree view.
#include "CATClientNavigation.h"
#include "CATClientScript.h"
#include "CATClientText.h"
#include "CATClientVerbs.h"
#include "CATFrmLayout.h"
#include "CATFrmWindow.h"

namespace {

std::string Title(CATFrmWindow* window) {
  return CATClientText::Quoted(window->GetBaseName().ConvertToUTF8());
}

void SelectPath(CATClientScript& script, const std::string& arguments, bool add) {
  CATFrmEditor* editor = script.Session().SelectionEditor();
  const std::string text = CATClientText::Trim(arguments);
  if (!editor) {
    script.Fail("no window to select in");
    return;
  }
  if (text.empty()) {
    script.Fail(add ? "usage: select-add PATH" : "usage: select PATH");
    return;
  }
  std::string error;
  CATPathElement* path = CATClientNavigation::Resolve(editor, text, error);
  if (!path) {
    script.Fail(error);
    return;
  }
  if (!add) editor->GetCSO()->Empty();
  HRESULT rc = editor->GetCSO()->AddElement(path);
  script.Say((rc == S_FALSE ? "already selected " : "selected ") + CATClientNavigation::PathText(*path));
  path->Release();
}

}  // namespace

namespace CATClientVerbs {

void Workbench(CATClientScript& script, const std::string& arguments) {
  std::vector<std::string> words = CATClientText::Words(arguments);
  if (words.size() > 1)
    script.Fail("usage: workbench [NAME]");
  else if (words.empty())
    script.Say(script.Session().GetFrame()->GetCurrentWorkbench().str());
  else
    script.Session().GetFrame()->SetCurrentWorkbench(words[0]);
}

void Workshop(CATClientScript& script, const std::string& arguments) {
  std::vector<std::string> words = CATClientText::Words(arguments);
  if (words.size() > 1)
    script.Fail("usage: workshop [NAME]");
  else if (words.empty())
    script.Say(script.Session().GetFrame()->GetCurrentWorkshop().str());
  else
    script.Session().GetFrame()->SetCurrentWorkshop(words[0]);
}

void Windows(CATClientScript& script, const std::string&) {
  CATFrmLayout* layout = script.Session().GetFrame()->GetLayout();
  if (layout->GetWindowCount() == 0) {
    script.Say("no windows");
    return;
  }
  int number = 0;
  for (CATFrmWindow* window : layout->GetWindowList()) {
    CATFrmEditor* editor = window->GetEditor();
    script.Say(std::string(window == layout->GetCurrentWindow() ? "* " : "  ") + std::to_string(++number) +
               " " + CATClientScript::KindName(editor->GetKind()) + " " + Title(window) +
               " roots=" + std::to_string(editor->GetRootCount()) + " selected=" +
               std::to_string(editor->GetCSO()->Size()) + " workbench=" + window->GetWorkbench().str() +
               " workshop=" + window->GetWorkshop().str() + (window->IsMinimized() ? " minimized" : ""));
  }
}

void Activate(CATClientScript& script, const std::string& arguments) {
  if (CATFrmWindow* window = script.WindowArgument(arguments))
    script.Session().GetFrame()->GetLayout()->SetCurrentWindow(window);
}

void CloseWindow(CATClientScript& script, const std::string& arguments) {
  if (CATFrmWindow* window = script.WindowArgument(arguments))
    script.Session().GetFrame()->GetLayout()->CloseWindow(window);
}

void Minimize(CATClientScript& script, const std::string& arguments) {
  if (CATFrmWindow* window = script.WindowArgument(arguments)) window->Minimize();
}

void Restore(CATClientScript& script, const std::string& arguments) {
  CATFrmWindow* window = script.WindowArgument(arguments);
  if (window && window->Restore() == S_FALSE)
    script.Say("window " + CATClientText::Trim(arguments) + " was not minimized");
}

void Select(CATClientScript& script, const std::string& arguments) {
  SelectPath(script, arguments, false);
}

void SelectAdd(CATClientScript& script, const std::string& arguments) {
  SelectPath(script, arguments, true);
}

void ClearSelection(CATClientScript& script, const std::string&) {
  if (CATFrmEditor* editor = script.Session().SelectionEditor())
    editor->GetCSO()->Empty();
  else
    script.Fail("no window to select in");
}

void Selection(CATClientScript& script, const std::string&) {
  CATFrmEditor* editor = script.Session().SelectionEditor();
  if (!editor) {
    script.Fail("no window to select in");
    return;
  }
  CATFrmWindow* window = editor->GetWindow();
  script.Say(window ? "selection in window " + std::to_string(CATClientScript::WindowNumber(window)) + ":"
                    : "selection in the search:");
  CATCSO* cso = editor->GetCSO();
  if (cso->IsEmpty()) script.Say("  (empty)");
  int number = 0;
  cso->InitElementList();
  while (CATBaseUnknown* element = cso->NextElement()) {
    CATPathElement_var path(element);
    if (path == NULL_var) continue;
    script.Say("  " + std::to_string(++number) + " " + CATClientNavigation::PathText(*path) + ": " +
               CATClientNavigation::Label((*path)[path->GetSize() - 1]));
  }
}

void Tree(CATClientScript& script, const std::string&) {
  CATFrmWindow* window = script.Session().GetFrame()->GetLayout()->GetCurrentWindow();
  if (!window) {
    script.Fail("no current window");
    return;
  }
  script.Say("window " + std::to_string(CATClientScript::WindowNumber(window)) + " " +
             CATClientScript::KindName(window->GetEditor()->GetKind()) + " " + Title(window) + ":");
  CATClientNavigation::TreeLines(window->GetEditor(),
                                 [&script](const std::string& line) { script.Say(line); });
}

}  // namespace CATClientVerbs
