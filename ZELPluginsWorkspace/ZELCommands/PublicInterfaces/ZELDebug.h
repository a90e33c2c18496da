#ifndef ZELDebug_h
#define ZELDebug_h
// Trace scope opened at the entry of every operation. "ZEL_DEBUG" = "ON" prints scope and detail lines on
// standard output; "ONT" feeds the scopes to the profiler; anything else keeps tracing off.
#include <sstream>

#include "ZELCommandsExport.h"

// Tests reach private statics through this class; the product never defines it.
class ZELTestAccess;

class ExportedByZELCommands ZELDebug {
 public:
  ZELDebug(const char* functionName, int line);
  ~ZELDebug();
  ZELDebug(const ZELDebug&) = delete;
  ZELDebug& operator=(const ZELDebug&) = delete;

  void SetFailed() { failed_ = 1; }
  int IsFailed() const { return failed_; }
  const char* GetFunctionName() const { return functionName_; }

  // "ZELDBX Function: <name> (<line>)" and SetFailed; printed only with s_iDebug 1.
  void FailurePoint(int line);
  // "  ZELDBX (<line>): " followed by the texts; printed only with s_iDebug 1.
  template <class... Texts>
  static void Detail(int line, const Texts&... texts) {
    if (s_iDebug != 1) return;
    std::ostringstream os;
    os << "  ZELDBX (" << line << "): ";
    (os << ... << texts);
    PrintLine(os.str());
  }
  // Writes one line and flushes standard output.
  static void PrintLine(const std::string& text);

  static int s_iDebug;

 private:
  friend class ::ZELTestAccess;
  static void ReadEnvironment();
  const char* functionName_;
  int line_;
  int failed_;
  static bool s_bDebugSet;
};

// The scope of the current operation is named zelDebug so the failure and detail macros find it.
#define ZEL_DEBUG_SCOPE(name) ZELDebug zelDebug(name, __LINE__)
#define ZEL_FAILURE_POINT() zelDebug.FailurePoint(__LINE__)
#define ZEL_DETAIL(...)                                                   \
  do {                                                                    \
    if (ZELDebug::s_iDebug == 1) ZELDebug::Detail(__LINE__, __VA_ARGS__); \
  } while (0)

#endif
