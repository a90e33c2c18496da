#ifndef ListenerUnderTest_h
#define ListenerUnderTest_h
// The real ZELListenerService program in console mode on a free port, with an installation directory whose
// launcher is a shell script that records its arguments and exits with a chosen code. Its output is read on
// a thread of its own, so a chatty listener never blocks on a full pipe.
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "RawClient.h"
#include "ZELTestSupport.h"

class ListenerUnderTest {
 public:
  // level: the listener's log level; at "ERROR" a probe connection (ended at once) waits for the socket.
  explicit ListenerUnderTest(const std::string& level = "DEBUG") : port_(zeltest::FreePort()), level_(level) {
    const std::filesystem::path bin = dir_ / "install/linux_a64/code/bin";
    launcher_ = bin / "CATSTART";
    zeltest::WriteFile(launcher_,
                       "#!/bin/sh\n"
                       "printf '%s\\n' \"$@\" > '" +
                           (dir_ / "args.tmp").string() + "'\n" + "mv '" + (dir_ / "args.tmp").string() +
                           "' '" + (dir_ / "args").string() + "'\n" + "exit \"$(cat '" +
                           (dir_ / "exit-code").string() + "')\"\n");
    ::chmod(launcher_.c_str(), 0755);
    SetExitCode(0);
    zeltest::WriteFile(dir_ / "zel.cfg", "LOG_LEVEL = " + level + "\nPORT = " + std::to_string(port_) +
                                             "\n3DEXPERIENCE_DIR = " + (dir_ / "install").string() +
                                             "\n3DEXPERIENCE_ENV_FILE = " + EnvFile() + "\n");
  }
  ~ListenerUnderTest() { StopReading(); }
  ListenerUnderTest(const ListenerUnderTest&) = delete;
  ListenerUnderTest& operator=(const ListenerUnderTest&) = delete;

  // Starts the program and waits until it listens.
  bool Start() {
    program_ = std::make_unique<zeltest::ChildProcess>(
        std::vector<std::string>{zeltest::RuntimeProgram("ZELListenerService").string()});
    if (!program_->Started()) return false;
    reader_ = std::thread([this] {
      while (!stop_) {
        std::optional<std::string> line = program_->ReadLine(std::chrono::milliseconds(200));
        if (!line) continue;
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.push_back(*line);
        changed_.notify_all();
      }
    });
    if (level_ != "ERROR")
      return WaitForLine("] Opened socket for listen on port [" + std::to_string(port_) + "]");
    // At the error level nothing tells that the socket is open: a first connection does.
    for (int attempt = 0; attempt < 600; ++attempt) {
      RawClient probe(port_);
      if (probe.Connected()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  // True once a line containing text has been written (count times), within the time-out.
  bool WaitForLine(const std::string& text, std::chrono::seconds timeout = std::chrono::seconds(60),
                   std::size_t count = 1) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return CountLocked(text) >= count; });
  }
  std::size_t Count(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    return CountLocked(text);
  }
  std::string Output() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string all;
    for (const std::string& line : lines_) all += line + "\n";
    return all;
  }

  void SetExitCode(int code) { zeltest::WriteFile(dir_ / "exit-code", std::to_string(code) + "\n"); }
  // The launcher's arguments after its own path, one per line; empty until it ran.
  std::vector<std::string> RecordedArguments() {
    std::vector<std::string> arguments;
    std::string text = zeltest::ReadFile(dir_ / "args");
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
      arguments.push_back(text.substr(start, end - start));
    return arguments;
  }
  void ForgetArguments() { std::filesystem::remove(dir_ / "args"); }

  int Port() const { return port_; }
  std::string EnvFile() const { return (dir_ / "env.txt").string(); }
  const std::filesystem::path& Launcher() const { return launcher_; }
  zeltest::ChildProcess& Program() { return *program_; }

  // Sends the signal and waits for the exit code.
  std::optional<int> Stop(int signal, std::chrono::seconds timeout = std::chrono::seconds(30)) {
    program_->Signal(signal);
    return program_->Wait(timeout);
  }

 private:
  std::size_t CountLocked(const std::string& text) const {
    std::size_t count = 0;
    for (const std::string& line : lines_)
      if (line.find(text) != std::string::npos) ++count;
    return count;
  }
  void StopReading() {
    stop_ = true;
    if (reader_.joinable()) reader_.join();
  }

  zeltest::TempDir dir_{"listener-ws"};
  zeltest::ScopedEnv temp_{"TEMP", nullptr};
  zeltest::ScopedEnv levelOverride_{"ZEL_LISTENER_LOG_LEVEL", nullptr};
  zeltest::ScopedEnv logDir_{"ZEL_LISTENER_LOG_DIR", nullptr};
  zeltest::ScopedEnv install_{"ZEL_LISTENER_3DEXPERIENCE_DIR", nullptr};
  zeltest::ScopedEnv envFile_{"ZEL_LISTENER_3DEXPERIENCE_ENV_FILE", nullptr};
  zeltest::ScopedEnv configFile_{"ZEL_LISTENER_CONFIG_FILE", (dir_ / "zel.cfg").c_str()};
  zeltest::ScopedEnv notify_{"NOTIFY_SOCKET", nullptr};
  int port_;
  std::string level_;
  std::filesystem::path launcher_;
  std::unique_ptr<zeltest::ChildProcess> program_;
  std::thread reader_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> lines_;
};

#endif
