// CNEXT: the headless interactive client. It starts a session (application, frame, PLM database), loads
// the libraries named with --load, and runs a script from --script FILE or standard input
// (docs/client-script.md). Exit code: 0 when every line succeeded, 1 when a line failed, 2 when the
// session could not start.
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "CATClientScript.h"
#include "CATClientSession.h"
#include "CATInstantiateComponent.h"

namespace {

const char* const kUsage =
    "usage: CNEXT [--script FILE] [--plm FILE] [--load LIBRARY]... [--strict] [--] "
    "[APPLICATION-ARGUMENT]...\n"
    "  --script FILE   run the script in FILE (default: standard input)\n"
    "  --plm FILE      work on that PLM database (default: ZEL_PLM_DATABASE, else a private demo copy)\n"
    "  --load LIBRARY  load a library of the runtime tree before the script runs\n"
    "  --strict        stop at the first failing line\n"
    "The application's arguments default to \"3DEXPERIENCE\".\n";

struct Options {
  std::string script, plm;
  std::vector<std::string> libraries, arguments;
  bool strict = false;
};

// False with the reason when the command line is not understood.
bool Parse(int argc, char** argv, Options& options, std::string& error) {
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (optionsEnded || argument.compare(0, 2, "--") != 0) {
      options.arguments.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--strict") {
      options.strict = true;
    } else if (argument == "--script" || argument == "--plm" || argument == "--load") {
      if (i + 1 >= argc) {
        error = argument + " needs a value";
        return false;
      }
      std::string value = argv[++i];
      if (argument == "--script")
        options.script = value;
      else if (argument == "--plm")
        options.plm = value;
      else
        options.libraries.push_back(value);
    } else {
      error = "unknown option " + argument;
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (argc == 2 && std::string(argv[1]) == "--help") {
    std::cout << kUsage;
    return 0;
  }
  if (!Parse(argc, argv, options, error)) {
    std::cerr << "CNEXT: " << error << "\n" << kUsage;
    return 2;
  }
  std::ifstream file;
  if (!options.script.empty()) {
    file.open(options.script);
    if (!file) {
      std::cerr << "CNEXT: cannot read the script " << options.script << "\n";
      return 2;
    }
  }
  CATClientSession session;
  if (!session.Start(options.arguments, options.plm, error)) {
    std::cerr << "CNEXT: " << error << "\n";
    return 2;
  }
  for (const std::string& library : options.libraries)
    if (FAILED(CATLoadLibrary(library.c_str()))) {
      std::cerr << "CNEXT: cannot load library " << library << "\n";
      return 2;
    }
  CATClientScript script(session, options.strict);
  int failures = script.Run(options.script.empty() ? std::cin : file);
  return failures ? 1 : 0;
}
