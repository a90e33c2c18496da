// CATSTART, the platform launcher.
//
//   CATSTART -env FILE -run "PROGRAM ARGS"
//   CATSTART --help
//
// Sets the variables of the environment file FILE (one NAME=VALUE a line, NAME matching
// [A-Za-z_][A-Za-z0-9_]*; blank lines and lines starting with '#' after optional blanks are skipped; at most
// 64 KiB and 4096 bytes a line), overriding inherited ones, then replaces itself with PROGRAM from the
// directory that holds CATSTART, with ARGS split at runs of blanks (no quoting, no shell). PROGRAM must be a
// plain name. Since the program takes over this process, its exit code is the launcher's, and a signal sent
// to the launcher reaches it.
//
// Exit codes of the launcher itself: 2 usage or bad option; 3 environment file missing, unreadable, too
// large or malformed; 4 program missing, not a plain name or not executable; 5 the program cannot be run.
#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "CATStartEnvironmentFile.h"

namespace {

constexpr int kUsageError = 2;
constexpr int kEnvironmentError = 3;
constexpr int kProgramError = 4;
constexpr int kExecError = 5;

constexpr const char* kUsage = "usage: CATSTART -env FILE -run \"PROGRAM ARGS\"";

constexpr const char* kHelp =
    "usage: CATSTART -env FILE -run \"PROGRAM ARGS\"\n"
    "\n"
    "Sets the variables of FILE (one NAME=VALUE a line; blank lines and lines starting with '#' are\n"
    "skipped; at most 64 KiB and 4096 bytes a line), then runs PROGRAM from the directory of CATSTART with\n"
    "ARGS split at blanks. PROGRAM's exit code is passed on.\n"
    "\n"
    "Exit codes of CATSTART itself: 2 usage or bad option, 3 environment file missing, unreadable, too\n"
    "large or malformed, 4 program missing, not a plain name or not executable, 5 the program cannot be "
    "run.\n";

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "CATSTART: %s\n", message.c_str());
  return code;
}

std::vector<std::string> SplitAtBlanks(const std::string& text) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<std::string> envFile, run;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    std::optional<std::string>* target = option == "-env" ? &envFile : option == "-run" ? &run : nullptr;
    if (target == nullptr) return Fail(kUsageError, "unknown option '" + option + "' (" + kUsage + ")");
    if (target->has_value()) return Fail(kUsageError, "option " + option + " given twice (" + kUsage + ")");
    if (i + 1 >= argc) return Fail(kUsageError, "option " + option + " needs a value (" + kUsage + ")");
    *target = argv[++i];
  }
  if (!envFile) return Fail(kUsageError, std::string("missing option -env (") + kUsage + ")");
  if (!run) return Fail(kUsageError, std::string("missing option -run (") + kUsage + ")");

  CATStartEnvironmentFile environment;
  if (!environment.Load(*envFile)) return Fail(kEnvironmentError, environment.Error());

  std::vector<std::string> arguments = SplitAtBlanks(*run);
  if (arguments.empty()) return Fail(kProgramError, "-run names no program");
  const std::string& name = arguments[0];
  if (name.find('/') != std::string::npos)
    return Fail(kProgramError, "program '" + name + "' must be a plain name without '/'");
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return Fail(kProgramError, "cannot find the launcher's own directory: " + error.message());
  const std::string program = (self.parent_path() / name).string();
  struct stat info;
  if (stat(program.c_str(), &info) != 0)
    return Fail(kProgramError, "program '" + name + "' not found in " + self.parent_path().string());
  if (!S_ISREG(info.st_mode) || access(program.c_str(), X_OK) != 0)
    return Fail(kProgramError, "program " + program + " is not executable");

  for (const CATStartEnvironmentFile::Variable& variable : environment.Variables()) {
    if (setenv(variable.name.c_str(), variable.value.c_str(), 1) != 0)
      return Fail(kEnvironmentError, "cannot set " + variable.name + ": " + std::strerror(errno));
  }

  arguments[0] = program;
  std::vector<char*> args;
  for (std::string& argument : arguments) args.push_back(argument.data());
  args.push_back(nullptr);
  std::fflush(stdout);
  execv(program.c_str(), args.data());
  return Fail(kExecError, "cannot run " + program + ": " + std::strerror(errno));
}
