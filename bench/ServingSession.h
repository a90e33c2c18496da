#ifndef ServingSession_h
#define ServingSession_h
// One client session for the benchmarks that need the open path: a private bus directory (set in this
// process's environment, so the programs it starts find it) and database, its receiver answering every
// request.
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "ChildProcess.h"
#include "ZELTestSupport.h"

namespace fs = std::filesystem;

// Runs a program without a shell and waits for it: the bare process spawn the benchmarks compare with. Its
// exit status, or -1 when it could not be run.
inline int SpawnAndWait(const std::vector<std::string>& argv) {
  extern char** environ;
  std::vector<std::string> arguments = argv;
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, pointers[0], nullptr, nullptr, pointers.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// A client session on a private bus directory and database whose receiver answers every request.
class ServingSession {
 public:
  static ServingSession& Shared() {
    static ServingSession session;
    return session;
  }
  ServingSession() {
    char pattern[] = "/tmp/zelbench-XXXXXX";
    if (!mkdtemp(pattern)) return;
    dir_ = pattern;
    setenv("CATBackboneDirectory", (dir_ / "bus").c_str(), 1);
    // The add-in brings the receiver up only in a session of a known edition.
    setenv("ZEL_MODULE", "VBO", 1);
    fs::path database = zeltest::SeededPlmDatabase(dir_);
    zeltest::WriteFile(dir_ / "session.script", "receiver\nserve 3600 " + (dir_ / "stop").string() + "\n");
    session_ = std::make_unique<zeltest::ChildProcess>(
        std::vector<std::string>{zeltest::RuntimeProgram("CNEXT").string(), "--script",
                                 (dir_ / "session.script").string(), "--plm", database.string()});
    while (auto line = session_->ReadLine())
      if (*line == "receiver running") {
        ready_ = true;
        break;
      }
  }
  ~ServingSession() {
    if (session_) {
      zeltest::WriteFile(dir_ / "stop", "");
      session_->Wait(std::chrono::seconds(30));
    }
    std::error_code ignored;
    if (!dir_.empty()) fs::remove_all(dir_, ignored);
  }
  bool Ready() const { return ready_; }
  const fs::path& Dir() const { return dir_; }

 private:
  fs::path dir_;
  std::unique_ptr<zeltest::ChildProcess> session_;
  bool ready_ = false;
};

#endif
