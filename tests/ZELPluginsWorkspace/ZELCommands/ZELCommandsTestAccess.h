#ifndef ZELCommandsTestAccess_h
#define ZELCommandsTestAccess_h
// The one definition of the class the ZELCommands headers befriend: every test of the module reaches the
// product's private statics through here, so that no two test programs disagree on what the class is.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <functional>
#include <string>

#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELPerformance.h"
#include "ZELRequestXml.h"

class ZELTestAccess {
 public:
  // The edition, which the product otherwise settles once per process from ZEL_MODULE.
  static void SetModule(ZELModule module) { ZELGlobal::s_eModule = module; }

  // Sets (or, for nullptr, unsets) ZEL_DEBUG and has the next trace scope read it again: the product reads
  // the trace mode once per process.
  static void ResetTrace(const char* mode) {
    if (mode)
      setenv("ZEL_DEBUG", mode, 1);
    else
      unsetenv("ZEL_DEBUG");
    ZELDebug::s_bDebugSet = false;
    ZELDebug::s_iDebug = 0;
  }

  // The standard output of the work, run with the trace on whatever ZEL_DEBUG says; the mode before is
  // restored.
  static std::string TracedOutput(const std::function<void()>& work) {
    const bool savedSet = ZELDebug::s_bDebugSet;
    const int saved = ZELDebug::s_iDebug;
    ZELDebug::s_bDebugSet = true;
    ZELDebug::s_iDebug = 1;
    testing::internal::CaptureStdout();
    work();
    std::string out = testing::internal::GetCapturedStdout();
    ZELDebug::s_iDebug = saved;
    ZELDebug::s_bDebugSet = savedSet;
    return out;
  }

  // Sets (or unsets) ZEL_PERFORMANCE_SORT and drops the profiler, whose next use starts from nothing.
  static void ResetProfiler(const char* sort) {
    if (sort)
      setenv("ZEL_PERFORMANCE_SORT", sort, 1);
    else
      unsetenv("ZEL_PERFORMANCE_SORT");
    delete ZELPerformance::pPerformance;
    ZELPerformance::pPerformance = nullptr;
  }

  // Request documents named so far in this process.
  static int RequestCount() { return ZELRequestXml::s_iNr; }
};

#endif
