#ifndef ZELPerformance_h
#define ZELPerformance_h
// In-process profiler fed by the trace scopes in "ONT" mode: calls, time and time outside nested scopes per
// "<function><line>" key, with callers, printed sorted each time the outermost scope ends.
#include <cstdint>

#include "CATListOfCATString.h"
#include "CATRawCollPV.h"
#include "CATRawCollint.h"
#include "CATString.h"
#include "ZELCommandsExport.h"

// Tests reach private statics through this class; the product never defines it.
class ZELTestAccess;

class ExportedByZELCommands ZELPerformance {
 public:
  ZELPerformance();
  ZELPerformance(const ZELPerformance& other);
  ZELPerformance& operator=(const ZELPerformance& other);
  virtual ~ZELPerformance();

  static void EnterMethod(const char* key);
  static void LeaveMethod(const char* key);

  class Method {
   public:
    Method(const char* key, int64_t start);
    virtual ~Method() = default;
    CATString m_key;
    int64_t m_start;
    double m_time;
    double m_grossTime;
    double m_ownTime;
    int m_calls;
    int m_hash;
    CATListValCATString m_callerKeys;
    CATRawCollint m_callerCounts;
    CATRawCollint m_callerHashes;
  };

 private:
  friend class ::ZELTestAccess;
  void EnterMethodInternal(const char* key);
  void LeaveMethodInternal(const char* key);
  void AddCalledMethod(Method* method);
  void Result();
  void Clear();
  void CopyFrom(const ZELPerformance& other);
  static int64_t Now();
  static int Hash(const char* key);
  static int CmpCalls(const void* a, const void* b);
  static int CmpCallsR(const void* a, const void* b);
  static int CmpName(const void* a, const void* b);
  static int CmpNameR(const void* a, const void* b);
  static int CmpTime(const void* a, const void* b);
  static int CmpTimeNc(const void* a, const void* b);
  static int CmpTimeNcR(const void* a, const void* b);
  static int CmpTimeR(const void* a, const void* b);

  int m_sort;
  int m_depth;
  CATRawCollPV m_stack;
  CATRawCollPV m_results;
  static ZELPerformance* pPerformance;
};

#endif
