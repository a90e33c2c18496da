#ifndef ZELTestSupport_h
#define ZELTestSupport_h
// What every test program shares: private temporary directories, scoped environment variables, programs of
// the runtime tree run under a time bound, private PLM databases and free loopback ports.
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Memory figures mean nothing under AddressSanitizer, which keeps freed blocks in quarantine: tests that
// measure memory check ZEL_TEST_ASAN (1 under the sanitizer, else 0).
#if defined(__SANITIZE_ADDRESS__)
#define ZEL_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZEL_TEST_ASAN 1
#endif
#endif
#ifndef ZEL_TEST_ASAN
#define ZEL_TEST_ASAN 0
#endif

namespace zeltest {

// A fresh directory under TMPDIR (std::filesystem::temp_directory_path()), removed with everything in it at
// scope end.
class TempDir {
 public:
  explicit TempDir(std::string_view prefix = "zel-test");
  // Below parent instead of the temporary directory: "/tmp" keeps a bus directory's socket paths short.
  TempDir(std::string_view prefix, const std::filesystem::path& parent);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Sets (or, for nullptr, unsets) a variable and restores the previous state at scope end.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

struct ProgramResult {
  int exitCode = -1;  // -1 when the program did not exit on its own (killed, timed out, not started)
  bool timedOut = false;
  std::string out;
  std::string err;
};

// Runs argv[0] (a path, or a name looked up in PATH) without a shell. stdinText is fed to its standard input,
// standard output and error are collected; the program is killed (SIGKILL) once the timeout has passed.
// env entries "NAME=VALUE" set and "NAME" alone unset a variable in the child only.
ProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& stdinText = {},
                         std::chrono::milliseconds timeout = std::chrono::seconds(60),
                         const std::vector<std::string>& env = {});

std::filesystem::path RuntimeRoot();                          // <build>/linux_a64
std::filesystem::path RuntimeProgram(std::string_view name);  // <build>/linux_a64/code/bin/<name>

// A private copy of the runtime tree's seeded demo PLM database (resources/plm/PLMDemo.db) inside dir.
std::filesystem::path SeededPlmDatabase(const std::filesystem::path& dir);

// A TCP port on 127.0.0.1 that was free a moment ago.
int FreePort();

// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);
// Writes (replacing) a file, creating its parent directories; false when that fails.
bool WriteFile(const std::filesystem::path& path, std::string_view content);

}  // namespace zeltest

#endif
