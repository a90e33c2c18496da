#ifndef CATApplication_h
#define CATApplication_h
// The client application: its arguments, time-outs and the event loop that fires them and performs
// delayed destructions. At most one exists; MainApplication() is null when there is none.
#include <chrono>
#include <string>
#include <vector>

#include "CATCommand.h"

typedef void (*CATApplicationCB)(CATCommand* client, int, void* data);

class ExportedByCATDialog CATApplication : public CATCommand {
 public:
  // args: the command-line arguments after the program name.
  CATApplication(const CATString& name, const std::vector<std::string>& args = {});
  ~CATApplication() override;

  static CATApplication* MainApplication();

  const std::vector<std::string>& GetArgs() const { return args_; }

  // Calls cb(client, 0, data) once after delayMs milliseconds of event-loop time.
  void AddTimeOut(int delayMs, CATCommand* client, void* data, CATApplicationCB cb);
  // Removes the pending time-outs of client (only those calling cb when cb is given).
  void RemoveTimeOut(CATCommand* client, CATApplicationCB cb = nullptr);
  int PendingTimeOuts() const;

  // Fires the earliest pending time-out at once, without waiting, and performs the delayed destructions, as
  // one turn of the loop; 0 when none was pending. The application's clock moves on to the time-out's due
  // time, so time-outs added by the callback are due relative to it (tests use this as virtual time).
  int FireNextTimeOut();
  // Runs the loop: fires time-outs when due, serves the registered inputs (CATEventLoopInputs.h) and
  // performs delayed destructions until Exit() or until neither a time-out nor an input is pending. Returns
  // the number of time-outs fired.
  int Run();
  // Runs the loop as Run does, for at most maxMs milliseconds of real time.
  int RunFor(int maxMs);
  void Exit() { exitRequested_ = true; }

  // Destroys the commands whose destruction was requested.
  void ProcessDelayedDestructions();
  void ScheduleDestruction(CATCommand* command);
  // Forgets a pending destruction (the command is being destroyed another way).
  void CancelDestruction(CATCommand* command);

 private:
  struct TimeOut {
    std::chrono::steady_clock::time_point due;
    long long sequence;
    CATCommand* client;
    void* data;
    CATApplicationCB cb;
  };
  int Loop(std::chrono::steady_clock::time_point deadline, bool bounded);
  // The application's clock: real time plus the time skipped by FireNextTimeOut.
  std::chrono::steady_clock::time_point Now() const;
  // Removes the earliest time-out (by due time, then order of addition) into out; false when none.
  bool TakeEarliest(TimeOut& out);
  void Fire(const TimeOut& timeOut);
  std::vector<std::string> args_;
  std::vector<TimeOut> timeOuts_;
  std::vector<CATCommand*> toDestroy_;
  long long sequence_ = 0;
  bool exitRequested_ = false;
  std::chrono::steady_clock::duration skew_{};
};

#endif
