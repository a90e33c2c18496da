#include "UsersCommand.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "zelgw/Password.h"
#include "zelgw/Store.h"
#include "zelgw/UserRepository.h"

const char kUsersUsage[] =
    "Usage: ZELGateway users add NAME [--group GROUP] [--role ROLE] [--store FILE]\n"
    "       ZELGateway users passwd NAME [--store FILE]\n"
    "       ZELGateway users remove NAME [--store FILE]\n"
    "       ZELGateway users list [--store FILE]\n"
    "Manages the users of a store (default zelgateway.db; \"users add\" creates a missing one).\n"
    "\n"
    "  add     adds a user with a new password, group and role (both empty by default)\n"
    "  passwd  sets a new password for a user\n"
    "  remove  removes a user\n"
    "  list    prints one line per user: name, group and role, separated by tabs\n"
    "\n"
    "Passwords are never taken from the command line. From a terminal they are asked for twice,\n"
    "without echo; otherwise the first line of standard input is the password (at most 1024 bytes,\n"
    "no control characters).\n"
    "Exit status: 0 done; 1 refused or failed (user unknown or taken, password unusable, store\n"
    "unusable); 2 wrong usage.\n";

namespace {

enum ExitStatus { kDone = 0, kFailed = 1, kUsage = 2 };

struct UsersOptions {
  std::string verb;
  std::string name;
  bool hasName = false;
  std::string store = "zelgateway.db";
  std::string group;
  std::string role;
  bool help = false;
};

// Returns the error text, empty when the arguments are fine. Accepts "--name value" and "--name=value".
std::string ParseUsersArguments(int argc, char** argv, UsersOptions& options) {
  bool groupOrRole = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      options.help = true;
      continue;
    }
    if (!argument.starts_with("-")) {
      if (options.verb.empty()) {
        options.verb = argument;
      } else if (!options.hasName) {
        options.name = argument;
        options.hasName = true;
      } else {
        // Not echoed: a second word here is most likely a password.
        return "one user name at most; passwords are never taken from the command line";
      }
      continue;
    }
    std::optional<std::string> inlineValue;
    if (std::size_t equals = argument.find('='); equals != std::string_view::npos) {
      inlineValue = std::string(argument.substr(equals + 1));
      argument = argument.substr(0, equals);
    }
    auto value = [&](std::string& target) {
      if (inlineValue) {
        target = *inlineValue;
      } else if (i + 1 < argc) {
        target = argv[++i];
      } else {
        return false;
      }
      return true;
    };
    if (argument == "--store") {
      if (!value(options.store) || options.store.empty()) return "--store needs a file name";
    } else if (argument == "--group") {
      if (!value(options.group)) return "--group needs a value";
      groupOrRole = true;
    } else if (argument == "--role") {
      if (!value(options.role)) return "--role needs a value";
      groupOrRole = true;
    } else if (argument.starts_with("--pass")) {
      return "passwords are never taken from the command line; they are read from the terminal or from "
             "standard input";
    } else {
      return "unknown option " + std::string(argument);
    }
  }
  if (options.help) return {};
  if (options.verb.empty()) return "users needs a command: add, passwd, remove or list";
  if (options.verb != "add" && options.verb != "passwd" && options.verb != "remove" && options.verb != "list")
    return "unknown users command " + options.verb;
  if (options.verb == "list" ? options.hasName : !options.hasName)
    return options.verb == "list" ? "users list takes no name"
                                  : "users " + options.verb + " needs a user name";
  if (groupOrRole && options.verb != "add") return "--group and --role go with users add only";
  if (options.store == ":memory:")
    return "--store needs a file: users of a memory store would be lost at once";
  return {};
}

// Controls, tabs included, would break the one-line-per-user listing.
std::string Printable(std::string_view text) {
  std::string out;
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    out += (u < 0x20 || u == 0x7F) ? '?' : c;
  }
  return out;
}

struct termios savedTerminal;

// Puts the echo back before a signal ends the program in the middle of a prompt.
void RestoreTerminalAndDie(int signal) {
  tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
  raise(signal);  // the handler was installed with SA_RESETHAND, so this one ends the program
}

// One line from the descriptor, without its line end. False with a reason when there is none or it is too
// long.
bool ReadLine(int fd, std::string& line, std::string& error) {
  line.clear();
  for (;;) {
    char c = 0;
    ssize_t n = read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = std::string("cannot read the password: ") + std::strerror(errno);
      return false;
    }
    if (n == 0) {
      if (line.empty()) error = "no password given";
      return !line.empty();
    }
    if (c == '\n') break;
    if (line.size() >= zelgw::kMaxPasswordBytes + 1) {
      zelgw::WipeSecret(line);
      error = "the password is longer than " + std::to_string(zelgw::kMaxPasswordBytes) + " bytes";
      return false;
    }
    line += c;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// Echo off for its lifetime, and back on also when a signal ends the program meanwhile.
class SilentTerminal {
 public:
  SilentTerminal() {
    if (tcgetattr(STDIN_FILENO, &savedTerminal) != 0) return;
    struct sigaction restore {};
    restore.sa_handler = RestoreTerminalAndDie;
    restore.sa_flags = SA_RESETHAND;
    sigemptyset(&restore.sa_mask);
    for (int i = 0; i < kSignals; ++i) sigaction(kHandled[i], &restore, &previous_[i]);
    struct termios silent = savedTerminal;
    silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    silent.c_lflag |= ECHONL;
    // Flushing drops whatever was typed before the prompt, so nothing typed blind becomes the password.
    silent_ = tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent) == 0;
    if (!silent_) Restore();
  }
  ~SilentTerminal() {
    if (silent_) Restore();
  }
  SilentTerminal(const SilentTerminal&) = delete;
  SilentTerminal& operator=(const SilentTerminal&) = delete;
  bool Silent() const { return silent_; }

 private:
  static constexpr int kSignals = 4;
  static constexpr int kHandled[kSignals] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

  void Restore() {
    tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
    for (int i = 0; i < kSignals; ++i) sigaction(kHandled[i], &previous_[i], nullptr);
  }

  bool silent_ = false;
  struct sigaction previous_[kSignals] = {};
};

bool Prompt(const char* prompt, std::string& line, std::string& error) {
  std::fputs(prompt, stderr);
  std::fflush(stderr);
  return ReadLine(STDIN_FILENO, line, error);
}

// The new password of a user: asked for twice on a terminal, else the first line of standard input.
bool ReadNewPassword(const std::string& name, std::string& password, std::string& error) {
  if (isatty(STDIN_FILENO)) {
    SilentTerminal terminal;
    if (!terminal.Silent()) {
      error = std::string("cannot turn off the echo of the terminal: ") + std::strerror(errno);
      return false;
    }
    std::string again;
    bool read = Prompt(("New password for " + Printable(name) + ": ").c_str(), password, error) &&
                Prompt("Repeat the password: ", again, error);
    bool same = read && again == password;
    zelgw::WipeSecret(again);
    if (read && !same) error = "the two passwords differ";
    if (!same) {
      zelgw::WipeSecret(password);
      return false;
    }
  } else if (!ReadLine(STDIN_FILENO, password, error)) {
    return false;
  }
  std::string problem;
  if (password.empty()) {
    problem = "the password is empty";
  } else if (password.size() > zelgw::kMaxPasswordBytes) {
    problem = "the password is longer than " + std::to_string(zelgw::kMaxPasswordBytes) + " bytes";
  } else {
    for (char c : password) {
      unsigned char u = static_cast<unsigned char>(c);
      // A client could never send such a password: the request documents cannot carry it.
      if (u < 0x20 || u == 0x7F) problem = "the password holds a control character";
    }
  }
  if (problem.empty()) return true;
  zelgw::WipeSecret(password);
  error = problem;
  return false;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "ZELGateway: %s\n", message.c_str());
  return kFailed;
}

int Run(const UsersOptions& options) {
  zelgw::Store store(options.store, {.create = options.verb == "add"});
  zelgw::UserRepository users(store);

  if (options.verb == "list") {
    for (const zelgw::UserRecord& user : users.List()) {
      std::printf("%s\t%s\t%s\n", Printable(user.name).c_str(), Printable(user.group).c_str(),
                  Printable(user.role).c_str());
    }
    return kDone;
  }
  const std::string shown = Printable(options.name);
  if (options.verb == "remove") {
    if (!users.Remove(options.name)) return Fail("there is no user " + shown);
    std::printf("removed user %s\n", shown.c_str());
    return kDone;
  }

  // Everything that can be checked is checked before the password is asked for.
  if (options.verb == "add") {
    for (auto [text, what, mayBeEmpty] :
         {std::tuple{&options.name, "user name", false}, std::tuple{&options.group, "group", true},
          std::tuple{&options.role, "role", true}}) {
      if (std::string problem = zelgw::UserTextProblem(*text, mayBeEmpty); !problem.empty())
        return Fail(std::string("the ") + what + " " + problem);
    }
    if (users.Find(options.name)) return Fail("user " + shown + " already exists");
  } else if (!users.Find(options.name)) {
    return Fail("there is no user " + shown);
  }

  std::string password, error;
  if (!ReadNewPassword(options.name, password, error)) return Fail(error);
  bool done = options.verb == "add" ? users.Add({options.name, options.group, options.role}, password)
                                    : users.SetPassword(options.name, password);
  zelgw::WipeSecret(password);
  if (!done) {
    // Someone else added or removed the user while the password was typed.
    return Fail(options.verb == "add" ? "user " + shown + " already exists" : "there is no user " + shown);
  }
  std::printf(options.verb == "add" ? "added user %s\n" : "changed the password of %s\n", shown.c_str());
  return kDone;
}

}  // namespace

int RunUsersCommand(int argc, char** argv) {
  UsersOptions options;
  if (std::string error = ParseUsersArguments(argc, argv, options); !error.empty()) {
    std::fprintf(stderr, "ZELGateway: %s\n\n%s", error.c_str(), kUsersUsage);
    return kUsage;
  }
  if (options.help) {
    std::fputs(kUsersUsage, stdout);
    return kDone;
  }
  try {
    return Run(options);
  } catch (const std::exception& failure) {
    return Fail(failure.what());
  }
}
