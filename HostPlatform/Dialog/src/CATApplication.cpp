#include "CATApplication.h"

#include <algorithm>
#include <iostream>

#include "CATEventLoopInputs.h"

namespace {
CATApplication* s_mainApplication = nullptr;
}

CATApplication::CATApplication(const CATString& name, const std::vector<std::string>& args)
    : CATCommand(nullptr, name), args_(args) {
  if (!s_mainApplication)
    s_mainApplication = this;
  else
    std::cerr << "CATApplication: " << name << " created while " << s_mainApplication->GetName()
              << " is the main application; it stays the main application" << std::endl;
}

CATApplication::~CATApplication() {
  if (s_mainApplication != this) return;
  ProcessDelayedDestructions();
  timeOuts_.clear();
  // Cleared before the children go, so that they do not reach back into a half-destroyed application.
  s_mainApplication = nullptr;
}

CATApplication* CATApplication::MainApplication() {
  return s_mainApplication;
}

std::chrono::steady_clock::time_point CATApplication::Now() const {
  return std::chrono::steady_clock::now() + skew_;
}

void CATApplication::AddTimeOut(int delayMs, CATCommand* client, void* data, CATApplicationCB cb) {
  if (!cb) return;
  TimeOut timeOut{Now() + std::chrono::milliseconds(std::max(delayMs, 0)), sequence_++, client, data, cb};
  timeOuts_.push_back(timeOut);
}

void CATApplication::RemoveTimeOut(CATCommand* client, CATApplicationCB cb) {
  timeOuts_.erase(std::remove_if(timeOuts_.begin(), timeOuts_.end(),
                                 [&](const TimeOut& t) { return t.client == client && (!cb || t.cb == cb); }),
                  timeOuts_.end());
}

int CATApplication::PendingTimeOuts() const {
  return static_cast<int>(timeOuts_.size());
}

bool CATApplication::TakeEarliest(TimeOut& out) {
  if (timeOuts_.empty()) return false;
  auto earliest =
      std::min_element(timeOuts_.begin(), timeOuts_.end(), [](const TimeOut& a, const TimeOut& b) {
        return a.due != b.due ? a.due < b.due : a.sequence < b.sequence;
      });
  out = *earliest;
  timeOuts_.erase(earliest);
  return true;
}

void CATApplication::Fire(const TimeOut& timeOut) {
  // Taken off the list before the call, so the callback may add or remove time-outs freely.
  timeOut.cb(timeOut.client, 0, timeOut.data);
}

int CATApplication::FireNextTimeOut() {
  TimeOut timeOut{};
  if (!TakeEarliest(timeOut)) return 0;
  auto now = Now();
  if (timeOut.due > now) skew_ += timeOut.due - now;
  Fire(timeOut);
  ProcessDelayedDestructions();
  return 1;
}

int CATApplication::Loop(std::chrono::steady_clock::time_point deadline, bool bounded) {
  using namespace std::chrono;
  int fired = 0;
  while (!exitRequested_) {
    ProcessDelayedDestructions();
    bool inputs = CATCountInputs() > 0;
    if (exitRequested_ || (timeOuts_.empty() && !inputs)) break;
    auto now = Now();
    // Without a time-out or a deadline, inputs are waited for in slices, so Exit() from elsewhere is seen.
    auto until = now + seconds(1);
    if (!timeOuts_.empty()) {
      auto next =
          std::min_element(timeOuts_.begin(), timeOuts_.end(), [](const TimeOut& a, const TimeOut& b) {
            return a.due < b.due;
          })->due;
      if (next <= now) {
        TimeOut timeOut{};
        TakeEarliest(timeOut);
        Fire(timeOut);
        ++fired;
        continue;
      }
      until = inputs ? std::min(next, until) : next;
    }
    if (bounded && now >= deadline) break;
    if (bounded) until = std::min(until, deadline);
    // Rounded up, so a wait never ends just before the due time and spins.
    auto ms = duration_cast<milliseconds>(until - now + microseconds(999)).count();
    CATDispatchInputs(static_cast<int>(std::min<long long>(ms, 1000000)));
  }
  ProcessDelayedDestructions();
  exitRequested_ = false;
  return fired;
}

int CATApplication::Run() {
  return Loop(std::chrono::steady_clock::time_point::max(), false);
}

int CATApplication::RunFor(int maxMs) {
  return Loop(Now() + std::chrono::milliseconds(std::max(maxMs, 0)), true);
}

void CATApplication::ProcessDelayedDestructions() {
  // One at a time: a destructor may destroy other pending commands (its children) or request new ones.
  while (!toDestroy_.empty()) {
    CATCommand* command = toDestroy_.front();
    toDestroy_.erase(toDestroy_.begin());
    delete command;
  }
}

void CATApplication::ScheduleDestruction(CATCommand* command) {
  if (!command || command == this) return;
  if (std::find(toDestroy_.begin(), toDestroy_.end(), command) == toDestroy_.end())
    toDestroy_.push_back(command);
}

void CATApplication::CancelDestruction(CATCommand* command) {
  toDestroy_.erase(std::remove(toDestroy_.begin(), toDestroy_.end(), command), toDestroy_.end());
}
