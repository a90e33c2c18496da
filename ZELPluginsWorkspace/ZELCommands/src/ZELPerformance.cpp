#include "ZELPerformance.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "CATLib.h"

ZELPerformance* ZELPerformance::pPerformance = nullptr;

namespace {
using Method = ZELPerformance::Method;
const Method* AsMethod(const void* p) {
  return static_cast<const Method*>(p);
}

int SortOrderFromEnvironment() {
  static const char* const kOrders[] = {"m", "mr", "c", "cr", "t", "tr", "tn", "tnr"};
  const char* value = CATGetEnv("ZEL_PERFORMANCE_SORT");
  if (value)
    for (int i = 0; i < 8; ++i)
      if (std::string(value) == kOrders[i]) return i;
  return 7;
}

// Ordering helpers: -1 when a goes first; ties fall through to the next criterion, full ties give 1.
template <class T>
int Order(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}
int Decide(std::initializer_list<int> criteria) {
  for (int c : criteria)
    if (c != 0) return c;
  return 1;
}
}  // namespace

ZELPerformance::Method::Method(const char* key, int64_t start)
    : m_key(key),
      m_start(start),
      m_time(0),
      m_grossTime(0),
      m_ownTime(0),
      m_calls(1),
      m_hash(ZELPerformance::Hash(key)) {}

ZELPerformance::ZELPerformance() : m_sort(SortOrderFromEnvironment()), m_depth(0) {}

ZELPerformance::ZELPerformance(const ZELPerformance& other) : m_sort(other.m_sort), m_depth(other.m_depth) {
  CopyFrom(other);
}

ZELPerformance& ZELPerformance::operator=(const ZELPerformance& other) {
  if (this != &other) {
    Clear();
    m_sort = other.m_sort;
    m_depth = other.m_depth;
    CopyFrom(other);
  }
  return *this;
}

ZELPerformance::~ZELPerformance() {
  Clear();
}

void ZELPerformance::CopyFrom(const ZELPerformance& other) {
  for (void* p : other.m_stack) m_stack.Append(new Method(*static_cast<Method*>(p)));
  for (void* p : other.m_results) m_results.Append(new Method(*static_cast<Method*>(p)));
}

void ZELPerformance::Clear() {
  for (void* p : m_stack) delete static_cast<Method*>(p);
  for (void* p : m_results) delete static_cast<Method*>(p);
  m_stack.RemoveAll();
  m_results.RemoveAll();
}

void ZELPerformance::EnterMethod(const char* key) {
  if (!pPerformance) pPerformance = new ZELPerformance();
  pPerformance->EnterMethodInternal(key ? key : "");
}

void ZELPerformance::LeaveMethod(const char* key) {
  if (!pPerformance) pPerformance = new ZELPerformance();
  pPerformance->LeaveMethodInternal(key ? key : "");
}

int64_t ZELPerformance::Now() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int ZELPerformance::Hash(const char* key) {
  // Unsigned arithmetic: the hash wraps by design.
  unsigned int h = 0;
  for (const char* p = key; p && *p; ++p) h = h * 65599u + static_cast<unsigned char>(*p);
  return static_cast<int>(h);
}

void ZELPerformance::EnterMethodInternal(const char* key) {
  Method* method = new Method(key, Now());
  if (m_stack.Size() > 0) {
    const Method* caller = static_cast<Method*>(m_stack[m_stack.Size()]);
    method->m_callerKeys.Append(caller->m_key);
    method->m_callerCounts.Append(1);
    method->m_callerHashes.Append(caller->m_hash);
  }
  m_stack.Append(method);
  ++m_depth;
}

void ZELPerformance::LeaveMethodInternal(const char* key) {
  const int64_t now = Now();
  const int hash = Hash(key);
  struct Aside {
    Method* method;
    double ownTime;
  };
  std::vector<Aside> aside;
  Method* match = nullptr;
  double carried = 0;  // deductions of nested scopes that never reported their end
  while (m_stack.Size() > 0) {
    Method* top = static_cast<Method*>(m_stack[m_stack.Size()]);
    m_stack.RemovePosition(m_stack.Size());
    top->m_ownTime += carried;
    if (top->m_hash == hash && top->m_key == key) {
      match = top;
      break;
    }
    aside.push_back({top, top->m_ownTime - carried});
    carried = top->m_ownTime;
    top->m_ownTime = 0;
    --m_depth;
  }

  if (!match) {
    // Nothing open carries this key: restore the stack exactly as it was.
    for (auto it = aside.rbegin(); it != aside.rend(); ++it) {
      it->method->m_ownTime = it->ownTime;
      m_stack.Append(it->method);
      ++m_depth;
    }
  } else {
    const double elapsed = static_cast<double>(now - match->m_start);
    match->m_time = elapsed;
    match->m_grossTime += elapsed;
    match->m_ownTime += elapsed;
    match->m_start = 0;
    const int below = m_stack.Size();
    if (below > 0) {
      for (int i = below; i >= 1 && i > below - 3; --i) {
        const Method* other = static_cast<Method*>(m_stack[i]);
        if (other->m_hash == match->m_hash && other->m_key == match->m_key) {
          match->m_time = 0;  // a recursive re-entry: the outer call already counts this time
          break;
        }
      }
      static_cast<Method*>(m_stack[below])->m_ownTime -= match->m_grossTime;
    }
    AddCalledMethod(match);
    --m_depth;
    for (auto& a : aside) delete a.method;
  }

  if (m_depth == 0) Result();
}

void ZELPerformance::AddCalledMethod(Method* method) {
  for (int i = m_results.Size(); i >= 1; --i) {
    Method* entry = static_cast<Method*>(m_results[i]);
    if (entry->m_hash != method->m_hash || !(entry->m_key == method->m_key)) continue;
    entry->m_time += method->m_time;
    entry->m_calls += method->m_calls;
    entry->m_ownTime += method->m_ownTime;
    entry->m_grossTime += method->m_grossTime;
    for (int c = 1; c <= method->m_callerKeys.Size(); ++c) {
      int found = 0;
      for (int e = 1; e <= entry->m_callerKeys.Size() && !found; ++e)
        if (entry->m_callerHashes[e] == method->m_callerHashes[c] &&
            entry->m_callerKeys[e] == method->m_callerKeys[c])
          found = e;
      if (found) {
        entry->m_callerCounts[found] += method->m_callerCounts[c];
      } else {
        entry->m_callerKeys.Append(method->m_callerKeys[c]);
        entry->m_callerHashes.Append(method->m_callerHashes[c]);
        entry->m_callerCounts.Append(method->m_callerCounts[c]);
      }
    }
    delete method;
    return;
  }
  m_results.Append(method);
}

void ZELPerformance::Result() {
  static int (*const kCompare[])(const void*, const void*) = {CmpName, CmpNameR, CmpCalls,  CmpCallsR,
                                                              CmpTime, CmpTimeR, CmpTimeNc, CmpTimeNcR};
  m_results.QuickSort(kCompare[m_sort >= 0 && m_sort <= 7 ? m_sort : 7]);
  std::string out =
      "\n   Calls  |   Time   | No Child | Method  \n"
      " ---------+----------+----------+----------------------------------------\n";
  char line[4200];
  for (void* p : m_results) {
    const Method* m = static_cast<const Method*>(p);
    std::snprintf(line, sizeof line, "%9d | %8lld | %8lld | %s\n", m->m_calls,
                  static_cast<long long>(m->m_time), static_cast<long long>(m->m_ownTime),
                  m->m_key.CastToCharPtr());
    out += line;
    for (int c = 1; c <= m->m_callerKeys.Size(); ++c) {
      std::snprintf(line, sizeof line, "%9s | %8s | %8s |  (%6d) %s\n", "", "", "", m->m_callerCounts[c],
                    m->m_callerKeys[c].CastToCharPtr());
      out += line;
    }
    delete m;
  }
  m_results.RemoveAll();
  std::cout << out << std::flush;
}

int ZELPerformance::CmpName(const void* a, const void* b) {
  if (!a || !b) return 0;
  return Decide({Order(AsMethod(a)->m_key.Compare(AsMethod(b)->m_key), 0)});
}
int ZELPerformance::CmpNameR(const void* a, const void* b) {
  if (!a || !b) return 0;
  return Decide({Order(AsMethod(b)->m_key.Compare(AsMethod(a)->m_key), 0)});
}
int ZELPerformance::CmpCalls(const void* a, const void* b) {
  if (!a || !b) return 0;
  const Method *x = AsMethod(a), *y = AsMethod(b);
  return Decide({Order(x->m_calls, y->m_calls), Order(x->m_time, y->m_time)});
}
int ZELPerformance::CmpCallsR(const void* a, const void* b) {
  if (!a || !b) return 0;
  const Method *x = AsMethod(a), *y = AsMethod(b);
  return Decide({Order(y->m_calls, x->m_calls), Order(y->m_time, x->m_time)});
}
int ZELPerformance::CmpTime(const void* a, const void* b) {
  if (!a || !b) return 0;
  const Method *x = AsMethod(a), *y = AsMethod(b);
  return Decide({Order(x->m_time, y->m_time), Order(x->m_calls, y->m_calls)});
}
int ZELPerformance::CmpTimeR(const void* a, const void* b) {
  if (!a || !b) return 0;
  const Method *x = AsMethod(a), *y = AsMethod(b);
  return Decide({Order(y->m_time, x->m_time), Order(y->m_calls, x->m_calls)});
}
int ZELPerformance::CmpTimeNc(const void* a, const void* b) {
  if (!a || !b) return 0;
  const Method *x = AsMethod(a), *y = AsMethod(b);
  return Decide(
      {Order(x->m_ownTime, y->m_ownTime), Order(x->m_time, y->m_time), Order(x->m_calls, y->m_calls)});
}
int ZELPerformance::CmpTimeNcR(const void* a, const void* b) {
  if (!a || !b) return 0;
  const Method *x = AsMethod(a), *y = AsMethod(b);
  return Decide(
      {Order(y->m_ownTime, x->m_ownTime), Order(y->m_time, x->m_time), Order(y->m_calls, x->m_calls)});
}
