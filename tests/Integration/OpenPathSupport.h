#ifndef OpenPathSupport_h
#define OpenPathSupport_h
// What the tests of the open path share: the hexadecimal form of a request, a private bus directory, and a
// client session that serves the bus until its stop file appears.
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "ChildProcess.h"
#include "ZELTestSupport.h"

namespace openpath {

// The hexadecimal form of a text's bytes, as the listener sends an open request.
inline std::string Hex(const std::string& text) {
  static const char* digits = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char c : text) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  return hex;
}

// A private bus directory with a short path, as socket paths are limited to about a hundred bytes.
class BusDirectory {
 public:
  BusDirectory() {
    char pattern[] = "/tmp/zelbus-XXXXXX";
    if (mkdtemp(pattern)) path_ = pattern;
  }
  ~BusDirectory() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A client session on its own database, whose workbench add-in brings up the receiver at start-up, serving
// the bus until its stop file appears; then it lists its windows and the messages it received.
class Session {
 public:
  Session(const std::filesystem::path& dir, const std::string& name, const std::filesystem::path& database)
      : stopFile_(dir / (name + ".stop")), script_(dir / (name + ".script")) {
    zeltest::WriteFile(script_, "receiver\nserve 300 " + stopFile_.string() + "\nwindows\nmessages\n");
    process_ = std::make_unique<zeltest::ChildProcess>(std::vector<std::string>{
        zeltest::RuntimeProgram("CNEXT").string(), "--script", script_.string(), "--plm", database.string()});
    while (auto line = process_->ReadLine()) {
      transcript_ += *line + "\n";
      if (*line == "receiver running") {
        ready_ = true;
        break;
      }
      if (line->rfind("error:", 0) == 0) break;
    }
  }
  bool Ready() const { return ready_; }
  // Stops serving and returns the whole transcript.
  std::string Finish() {
    zeltest::WriteFile(stopFile_, "");
    while (auto line = process_->ReadLine()) transcript_ += *line + "\n";
    exit_ = process_->Wait();
    return transcript_;
  }
  std::optional<int> Exit() const { return exit_; }
  void Kill() {
    process_->Signal(9);
    process_->Wait();
  }

 private:
  std::filesystem::path stopFile_, script_;
  // The add-in brings the receiver up only in a session of a known edition.
  zeltest::ScopedEnv module_{"ZEL_MODULE", "VBO"};
  std::unique_ptr<zeltest::ChildProcess> process_;
  std::string transcript_;
  bool ready_ = false;
  std::optional<int> exit_;
};

}  // namespace openpath

#endif
