#ifndef ListenerService_h
#define ListenerService_h
// The program's frame: working directory, console or service mode, the stop signals, and the exit code.
#include <string>

#include "ListenerLog.h"

class ListenerService {
 public:
  static constexpr int kExitWorkingDirectory = 1;
  static constexpr int kExitServiceDispatch = 3;

  int Run();

  // Changes to the directory of the program; false (reported) when its path or the change fails.
  static bool EnterProgramDirectory(ListenerLog& log, std::string& directory);

 private:
  ListenerLog log_;
};

#endif
