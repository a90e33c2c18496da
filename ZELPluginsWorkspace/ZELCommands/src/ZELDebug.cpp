#include "ZELDebug.h"

#include <cstdio>
#include <iostream>

#include "CATLib.h"
#include "ZELPerformance.h"

int ZELDebug::s_iDebug = 0;
bool ZELDebug::s_bDebugSet = false;

namespace {
// The profiler key is "<function><line>", truncated rather than overflowing for absurdly long names.
void FormatKey(char (&key)[2048], const char* name, int line) {
  std::snprintf(key, sizeof key, "%s%d", name, line);
}
}  // namespace

void ZELDebug::ReadEnvironment() {
  s_bDebugSet = true;
  const char* value = CATGetEnv("ZEL_DEBUG");
  if (!value) return;
  std::string mode(value);
  if (mode == "ON")
    s_iDebug = 1;
  else if (mode == "ONT")
    s_iDebug = 2;
}

ZELDebug::ZELDebug(const char* functionName, int line)
    : functionName_(functionName ? functionName : ""), line_(line), failed_(0) {
  if (!s_bDebugSet) ReadEnvironment();
  if (s_iDebug == 1) {
    PrintLine(" ZEL: " + std::string(functionName_) + "(" + std::to_string(line_) + ") start");
  } else if (s_iDebug == 2) {
    char key[2048];
    FormatKey(key, functionName_, line_);
    ZELPerformance::EnterMethod(key);
  }
}

ZELDebug::~ZELDebug() {
  if (s_iDebug == 1) {
    PrintLine(" ZEL: " + std::string(functionName_) + "(" + std::to_string(line_) +
              (failed_ ? ") end  " : ") end OK"));
  } else if (s_iDebug == 2) {
    char key[2048];
    FormatKey(key, functionName_, line_);
    ZELPerformance::LeaveMethod(key);
  }
  functionName_ = nullptr;
}

void ZELDebug::FailurePoint(int line) {
  if (s_iDebug == 1)
    PrintLine("ZELDBX Function: " + std::string(functionName_) + " (" + std::to_string(line) + ")");
  SetFailed();
}

void ZELDebug::PrintLine(const std::string& text) {
  std::cout << text << '\n' << std::flush;
}
