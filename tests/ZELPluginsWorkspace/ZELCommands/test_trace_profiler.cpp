// Trace scopes and the profiler they feed: exact line formats, the once-only environment read, and the
// profiler's accounting of nested, recursive and unmatched scopes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

#include "ZELCommandsTestAccess.h"

namespace {
void Pause() {
  std::this_thread::sleep_for(std::chrono::milliseconds(3));
}

struct Row {
  int calls;
  long long time;
  long long own;
  std::map<std::string, int> callers;
};

// Parses the profiler's report into rows keyed by method, keeping the order of appearance.
std::vector<std::pair<std::string, Row>> ParseReport(const std::string& text) {
  std::vector<std::pair<std::string, Row>> rows;
  std::istringstream in(text);
  std::string line;
  const std::regex entry(R"(^ {0,8}(\d+) \| +(-?\d+) \| +(-?\d+) \| (.*)$)");
  const std::regex caller(R"(^ {10}\| {10}\| {10}\|  \( *(\d+)\) (.*)$)");
  std::smatch m;
  while (std::getline(in, line)) {
    if (std::regex_match(line, m, entry))
      rows.push_back({m[4], Row{std::stoi(m[1]), std::stoll(m[2]), std::stoll(m[3]), {}}});
    else if (std::regex_match(line, m, caller) && !rows.empty())
      rows.back().second.callers[m[2]] = std::stoi(m[1]);
  }
  return rows;
}

const Row& Find(const std::vector<std::pair<std::string, Row>>& rows, const std::string& key) {
  for (auto& r : rows)
    if (r.first == key) return r.second;
  static Row none{-1, 0, 0, {}};
  ADD_FAILURE() << "no row " << key;
  return none;
}
}  // namespace

TEST(Trace, ScopeAndFailureLinesReadExactly) {
  ZELTestAccess::ResetTrace("ON");
  testing::internal::CaptureStdout();
  { ZELDebug ok("Cls::Fine", 12); }
  {
    ZELDebug scope("Cls::Broken", 40);
    scope.FailurePoint(44);
    ZELDebug::Detail(45, "using server Port ", 443);
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            " ZEL: Cls::Fine(12) start\n"
            " ZEL: Cls::Fine(12) end OK\n"
            " ZEL: Cls::Broken(40) start\n"
            "ZELDBX Function: Cls::Broken (44)\n"
            "  ZELDBX (45): using server Port 443\n"
            " ZEL: Cls::Broken(40) end  \n");
}

TEST(Trace, EnvironmentIsReadOnceAndOnlyExactValuesCount) {
  ZELTestAccess::ResetTrace("on");
  testing::internal::CaptureStdout();
  {
    ZELDebug scope("Quiet::Scope", 1);
    scope.FailurePoint(2);
    ZEL_DETAIL("not printed");
    EXPECT_TRUE(scope.IsFailed());
  }
  setenv("ZEL_DEBUG", "ON", 1);  // too late: the first scope settled the mode
  { ZELDebug again("Quiet::Again", 3); }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(ZELDebug::s_iDebug, 0);
}

TEST(Trace, ProfilingModePrintsNoScopeLinesButAReport) {
  ZELTestAccess::ResetTrace("ONT");
  ZELTestAccess::ResetProfiler(nullptr);
  testing::internal::CaptureStdout();
  {
    ZELDebug outer("Outer::Run", 10);
    { ZELDebug inner("Inner::Step", 20); }
  }
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.find(" ZEL: "), std::string::npos);
  EXPECT_NE(out.find("   Calls  |   Time   | No Child | Method  \n"
                     " ---------+----------+----------+----------------------------------------\n"),
            std::string::npos);
  auto rows = ParseReport(out);
  EXPECT_EQ(Find(rows, "Outer::Run10").calls, 1);
  EXPECT_EQ(Find(rows, "Inner::Step20").callers.at("Outer::Run10"), 1);
  ZELTestAccess::ResetTrace(nullptr);
}

TEST(Profiler, NestedCallsAreMergedAndExcludedFromTheCallersOwnTime) {
  ZELTestAccess::ResetProfiler(nullptr);
  testing::internal::CaptureStdout();
  ZELPerformance::EnterMethod("A1");
  Pause();
  for (int i = 0; i < 2; ++i) {
    ZELPerformance::EnterMethod("B2");
    Pause();
    ZELPerformance::LeaveMethod("B2");
  }
  ZELPerformance::LeaveMethod("A1");
  auto rows = ParseReport(testing::internal::GetCapturedStdout());
  ASSERT_EQ(rows.size(), 2u);
  const Row& a = Find(rows, "A1");
  const Row& b = Find(rows, "B2");
  EXPECT_EQ(a.calls, 1);
  EXPECT_EQ(b.calls, 2);
  EXPECT_EQ(b.callers.at("A1"), 2);
  EXPECT_TRUE(a.callers.empty());
  EXPECT_GE(b.time, 2 * 3);
  EXPECT_EQ(a.own, a.time - b.time);
  EXPECT_EQ(b.own, b.time);
  // The default order puts the largest own time first.
  EXPECT_EQ(rows[0].first, a.own >= b.own ? "A1" : "B2");

  // Every return to depth 0 prints and clears: a second round starts from nothing.
  testing::internal::CaptureStdout();
  ZELPerformance::EnterMethod("A1");
  ZELPerformance::LeaveMethod("A1");
  rows = ParseReport(testing::internal::GetCapturedStdout());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].second.calls, 1);
}

TEST(Profiler, RecursiveReentryCountsItsTimeOnce) {
  ZELTestAccess::ResetProfiler(nullptr);
  testing::internal::CaptureStdout();
  ZELPerformance::EnterMethod("R7");
  Pause();
  ZELPerformance::EnterMethod("R7");
  Pause();
  ZELPerformance::LeaveMethod("R7");
  ZELPerformance::LeaveMethod("R7");
  auto rows = ParseReport(testing::internal::GetCapturedStdout());
  ASSERT_EQ(rows.size(), 1u);
  const Row& r = rows[0].second;
  EXPECT_EQ(r.calls, 2);
  EXPECT_EQ(r.callers.at("R7"), 1);
  // The inner call adds no time of its own to the total, but keeps its own time.
  EXPECT_EQ(r.time, r.own);
  EXPECT_GE(r.time, 6);
}

TEST(Profiler, UnmatchedLeaveKeepsTheStackAndUnclosedScopesAreDropped) {
  ZELTestAccess::ResetProfiler(nullptr);
  testing::internal::CaptureStdout();
  ZELPerformance::EnterMethod("A1");
  ZELPerformance::EnterMethod("B2");
  ZELPerformance::LeaveMethod("Nobody9");  // nothing printed, nothing popped
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  testing::internal::CaptureStdout();
  ZELPerformance::EnterMethod("C3");
  Pause();
  ZELPerformance::LeaveMethod("C3");
  ZELPerformance::LeaveMethod("B2");
  ZELPerformance::LeaveMethod("A1");
  auto rows = ParseReport(testing::internal::GetCapturedStdout());
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(Find(rows, "C3").callers.at("B2"), 1);
  EXPECT_EQ(Find(rows, "B2").callers.at("A1"), 1);

  // A scope that never reports its end is discarded when its caller ends; the caller's own time still
  // excludes what ran inside it.
  testing::internal::CaptureStdout();
  ZELPerformance::EnterMethod("A1");
  ZELPerformance::EnterMethod("Lost5");
  ZELPerformance::EnterMethod("C3");
  Pause();
  ZELPerformance::LeaveMethod("C3");
  ZELPerformance::LeaveMethod("A1");
  rows = ParseReport(testing::internal::GetCapturedStdout());
  ASSERT_EQ(rows.size(), 2u);
  const Row& a = Find(rows, "A1");
  const Row& c = Find(rows, "C3");
  EXPECT_EQ(a.own, a.time - c.time);
}

TEST(Profiler, SortOrdersFollowTheEnvironment) {
  auto run = [](const char* sort) {
    ZELTestAccess::ResetProfiler(sort);
    testing::internal::CaptureStdout();
    ZELPerformance::EnterMethod("Root1");
    for (int i = 0; i < 3; ++i) {
      ZELPerformance::EnterMethod("Often2");
      ZELPerformance::LeaveMethod("Often2");
    }
    ZELPerformance::EnterMethod("Twice3");
    ZELPerformance::LeaveMethod("Twice3");
    ZELPerformance::EnterMethod("Twice3");
    ZELPerformance::LeaveMethod("Twice3");
    ZELPerformance::LeaveMethod("Root1");
    std::vector<std::string> keys;
    for (auto& r : ParseReport(testing::internal::GetCapturedStdout())) keys.push_back(r.first);
    return keys;
  };
  EXPECT_EQ(run("c"), (std::vector<std::string>{"Root1", "Twice3", "Often2"}));
  EXPECT_EQ(run("cr"), (std::vector<std::string>{"Often2", "Twice3", "Root1"}));
  EXPECT_EQ(run("m"), (std::vector<std::string>{"Often2", "Root1", "Twice3"}));
  EXPECT_EQ(run("mr"), (std::vector<std::string>{"Twice3", "Root1", "Often2"}));
  ZELTestAccess::ResetProfiler(nullptr);
}
