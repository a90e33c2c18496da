#include "CATClientDialogs.h"

#include "CATApplication.h"
#include "CATApplicationFrame.h"

namespace {

void Collect(CATCommand* command, std::vector<CATDlgDialog*>& windows, std::vector<CATCommand*>& seen) {
  for (CATCommand* visited : seen)
    if (visited == command) return;
  seen.push_back(command);
  CATApplicationFrame* frame = CATApplicationFrame::GetFrame();
  auto* window = dynamic_cast<CATDlgDialog*>(command);
  bool own = frame && (window == frame->GetMainWindow() || window == frame->GetApplicationDocument());
  if (window && !own) {
    windows.push_back(window);
    return;
  }
  for (CATCommand* child : command->GetChildren()) Collect(child, windows, seen);
}

}  // namespace

std::vector<CATDlgDialog*> CATClientDialogs::List() {
  std::vector<CATDlgDialog*> windows;
  std::vector<CATCommand*> seen;
  if (CATApplication* application = CATApplication::MainApplication()) Collect(application, windows, seen);
  if (CATApplicationFrame* frame = CATApplicationFrame::GetFrame())
    for (CATCommand* command : frame->ListRunningCommands()) Collect(command, windows, seen);
  return windows;
}

CATDlgDialog* CATClientDialogs::Find(const std::string& name) {
  for (CATDlgDialog* window : List())
    if (window->GetName().str() == name) return window;
  return nullptr;
}

CATDialog* CATClientDialogs::FindControl(const std::string& path, std::string& error) {
  size_t slash = path.find('/');
  if (slash == std::string::npos || slash == 0 || slash + 1 == path.size()) {
    error = "expected DIALOG/CONTROL, got \"" + path + "\"";
    return nullptr;
  }
  std::string dialogName = path.substr(0, slash);
  CATDlgDialog* dialog = Find(dialogName);
  if (!dialog) {
    error = "no open dialog \"" + dialogName + "\"";
    return nullptr;
  }
  CATDialog* control = dialog->FindChild(CATString(path.substr(slash + 1)));
  if (!control) error = "no control \"" + path.substr(slash + 1) + "\" in dialog \"" + dialogName + "\"";
  return control;
}
