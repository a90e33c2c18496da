#ifndef CATClientScript_h
#define CATClientScript_h
// The line-oriented script that drives the client program (docs/client-script.md). Each line is echoed
// after the prompt "CNEXT> " and followed by its output; a line that fails prints one "error: " line. The
// event loop runs after every line, so time-outs that are due fire and delayed destructions happen. The
// verbs themselves live in families under src/verbs, listed in one table (CATClientVerbs.h).
#include <istream>
#include <string>

#include "CATClientSession.h"
#include "CATFrmEditor.h"

class CATFrmWindow;

class CATClientScript {
 public:
  CATClientScript(CATClientSession& session, bool strict) : session_(session), strict_(strict) {}

  // Runs the lines of the stream until its end, "quit", or, in strict mode, the first failing line.
  // Returns how many lines failed.
  int Run(std::istream& in);
  // Runs one line; false when it failed.
  bool RunLine(const std::string& line);
  bool QuitRequested() const { return quit_; }

  // What verbs work with.
  CATClientSession& Session() const { return session_; }
  // One line of the transcript; a control character that reached it unescaped is escaped here.
  void Say(const std::string& text);
  // Fails the current line with one "error: " line.
  void Fail(const std::string& reason);
  void RequestQuit() { quit_ = true; }
  // The window numbered in the arguments (1-based), or null after failing.
  CATFrmWindow* WindowArgument(const std::string& arguments);
  // The number windows shows for the window (0 when it is not in the layout).
  static int WindowNumber(CATFrmWindow* window);
  static const char* KindName(CATFrmEditorKind kind);

 private:
  CATClientSession& session_;
  bool strict_;
  bool failed_ = false;
  bool quit_ = false;
};

#endif
