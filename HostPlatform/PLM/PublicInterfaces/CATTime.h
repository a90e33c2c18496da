#ifndef CATTime_h
#define CATTime_h
// A point in time, to the second.
#include <ctime>

#include "CATPLMServicesExport.h"
#include "CATUnicodeString.h"

class ExportedByCATPLMServices CATTime {
 public:
  CATTime() = default;
  explicit CATTime(time_t iSecondsSinceEpoch) : seconds_(iSecondsSinceEpoch) {}
  // A UTC date and time; out-of-range fields carry over as calendar arithmetic does (13th month = January).
  CATTime(int iYear, int iMonth, int iDay, int iHour, int iMinute, int iSecond);

  time_t GetSecondsSinceEpoch() const { return seconds_; }
  // The time in the local time zone, formatted as strftime does ("%m/%d/%Y %H:%M:%S %Z").
  CATUnicodeString ConvertToString(const CATUnicodeString& iFormat) const;
  bool operator==(const CATTime& iOther) const { return seconds_ == iOther.seconds_; }

 private:
  time_t seconds_ = 0;
};

#endif
