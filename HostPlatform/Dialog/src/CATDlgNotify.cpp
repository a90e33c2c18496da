#include "CATDlgNotify.h"

#include <deque>
#include <mutex>

namespace {

struct NotifyState {
  std::mutex mutex;
  std::vector<CATDlgNotifyRecord> journal;
  std::deque<int> answers;
};

NotifyState& State() {
  static NotifyState* state = new NotifyState;
  return *state;
}

}  // namespace

CATDlgNotify::CATDlgNotify(CATCommand* parent, const CATString& name, CATDlgStyle style)
    : CATDlgDialog(parent, name, style) {}

CATDlgNotify::~CATDlgNotify() = default;

int CATDlgNotify::DisplayBlocked(const CATUnicodeString& text, const CATUnicodeString& title) {
  SetText(text);
  SetTitle(title);
  NotifyState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  int answer = CATDlgNfyAnswerOK;
  if (!state.answers.empty()) {
    answer = state.answers.front();
    state.answers.pop_front();
  }
  state.journal.push_back({GetName(), GetStyle(), title, text, answer});
  return answer;
}

void CATDlgNotify::Display(const CATUnicodeString& text, const CATUnicodeString& title) {
  SetText(text);
  SetTitle(title);
  SetVisibility(1);
  NotifyState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.journal.push_back({GetName(), GetStyle(), title, text, 0});
}

void CATDlgNotify::QueueAnswer(int answer) {
  NotifyState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.answers.push_back(answer);
}

void CATDlgNotify::ClearAnswers() {
  NotifyState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.answers.clear();
}

const std::vector<CATDlgNotifyRecord>& CATDlgNotify::GetJournal() {
  return State().journal;
}

void CATDlgNotify::ClearJournal() {
  NotifyState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.journal.clear();
}

unsigned CATDlgNotify::StandardButtons() const {
  CATDlgStyle style = GetStyle();
  unsigned mask = 0;
  if (style & (CATDlgNfyOK | CATDlgNfyOKCancel)) mask |= 1u << CATDlgStdOK;
  if (style & (CATDlgNfyOKCancel | CATDlgNfyYesNoCancel)) mask |= 1u << CATDlgStdCancel;
  if (style & (CATDlgNfyYesNo | CATDlgNfyYesNoCancel)) mask |= (1u << CATDlgStdYes) | (1u << CATDlgStdNo);
  return mask;
}

void CATDlgNotify::DescribeState(std::string& line) const {
  CATDlgDialog::DescribeState(line);
  line += " text=";
  AppendQuoted(line, text_.ConvertToUTF8());
}
