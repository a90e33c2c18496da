#ifndef CATClientScript_h
#define CATClientScript_h
// The line-oriented script that drives the client program (docs/client-script.md). Each line is echoed
// after the prompt "CNEXT> " and followed by its output; a line that fails prints one "error: " line. The
// event loop runs after every line, so time-outs that are due fire and delayed destructions happen.
#include <istream>
#include <string>
#include <vector>

#include "CATClientSession.h"

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

 private:
  typedef void (CATClientScript::*Handler)(const std::string& arguments);
  struct Verb {
    const char* name;
    Handler handler;
    const char* usage;
  };
  static const std::vector<Verb>& Verbs();

  void Say(const std::string& text);
  void Fail(const std::string& reason);
  // The window numbered in the arguments (1-based), or null after failing.
  CATFrmWindow* WindowArgument(const std::string& arguments);
  void Query(const std::string& arguments, const char* verb);
  // Reports the outcome of a user action on a dialog object.
  void Acted(HRESULT rc, const std::string& what);

  void Help(const std::string&);
  void Echo(const std::string& arguments);
  void Env(const std::string& arguments);
  void Unset(const std::string& arguments);
  void Wait(const std::string& arguments);
  void Quit(const std::string&);
  void Workbench(const std::string& arguments);
  void Workshop(const std::string& arguments);
  void Open(const std::string& arguments);
  void OpenExplorer(const std::string& arguments);
  void Insert(const std::string& arguments);
  void Search(const std::string& arguments);
  void Windows(const std::string&);
  void Activate(const std::string& arguments);
  void CloseWindow(const std::string& arguments);
  void Minimize(const std::string& arguments);
  void Restore(const std::string& arguments);
  void Select(const std::string& arguments);
  void SelectAdd(const std::string& arguments);
  void ClearSelection(const std::string&);
  void Selection(const std::string&);
  void Tree(const std::string&);
  void Load(const std::string& arguments);
  void Start(const std::string& arguments);
  void StartHeader(const std::string& arguments);
  void Headers(const std::string&);
  void Addins(const std::string&);
  void Dialogs(const std::string&);
  void Check(const std::string& arguments);
  void Uncheck(const std::string& arguments);
  void Type(const std::string& arguments);
  void Choose(const std::string& arguments);
  void Press(const std::string& arguments);
  void Close(const std::string& arguments);
  void Answer(const std::string& arguments);
  void Boxes(const std::string&);

  void SetChecked(const std::string& arguments, bool checked);
  void SelectPath(const std::string& arguments, bool add);

  CATClientSession& session_;
  bool strict_;
  bool failed_ = false;
  bool quit_ = false;
};

#endif
