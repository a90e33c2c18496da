#include "CATClientScript.h"

#include <exception>
#include <iostream>

#include "CATClientText.h"
#include "CATClientVerbs.h"
#include "CATFrmLayout.h"
#include "CATFrmWindow.h"

namespace {

// Longest line a script may hold; longer ones are refused unread.
const size_t kMaxLine = 64 * 1024;

}  // namespace

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
  std::string line = CATClientText::Trim(raw);
  if (line.empty()) return true;
  if (line[0] == '#') {
    Say(line);
    return true;
  }
  Say("CNEXT> " + line);
  std::string arguments = line;
  std::string name = CATClientText::Shift(arguments);
  const CATClientVerbs::Entry* verb = CATClientVerbs::Find(name);
  if (!verb) {
    Fail("unknown command \"" + name + "\" (try help)");
    return false;
  }
  // Whatever a command or the platform throws ends this line only.
  try {
    verb->handler(*this, arguments);
  } catch (const std::exception& exception) {
    Fail(std::string("internal error: ") + exception.what());
  } catch (...) {
    Fail("internal error");
  }
  if (CATApplication* application = session_.GetApplication()) application->RunFor(0);
  return !failed_;
}

void CATClientScript::Say(const std::string& text) {
  std::cout << CATClientText::OneLine(text) << '\n' << std::flush;
}

void CATClientScript::Fail(const std::string& reason) {
  failed_ = true;
  Say("error: " + reason);
}

CATFrmWindow* CATClientScript::WindowArgument(const std::string& arguments) {
  CATFrmLayout* layout = session_.GetFrame()->GetLayout();
  const std::string number = CATClientText::Trim(arguments);
  int value = 0;
  if (number.empty()) {
    Fail("usage: a window number (see windows)");
    return nullptr;
  }
  if (!CATClientText::ParseInt(number, 1, layout->GetWindowCount(), value)) {
    Fail("no window \"" + number + "\" (" + std::to_string(layout->GetWindowCount()) + " open)");
    return nullptr;
  }
  return layout->GetWindowList()[value];
}

int CATClientScript::WindowNumber(CATFrmWindow* window) {
  CATFrmLayout* layout = CATFrmLayout::GetCurrentLayout();
  if (!layout || !window) return 0;
  CATListVal<CATFrmWindow*> windows = layout->GetWindowList();
  return windows.Locate(window);
}

const char* CATClientScript::KindName(CATFrmEditorKind kind) {
  return kind == CATFrmNavigationEditor ? "explorer" : kind == CATFrmSearchEditor ? "search" : "3D";
}
