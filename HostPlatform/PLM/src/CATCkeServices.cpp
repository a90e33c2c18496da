// Knowledge attributes: text forms of the value types, reading, writing and listing; times.
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <string_view>

#include "CATCkeObjectAttrReadServices.h"
#include "CATCkeObjectAttrWriteServices.h"
#include "CATCkePLMNavPublicServices.h"
#include "CATDecimalReader.h"
#include "CATGlobalFunctions.h"
#include "CATPLMObjects.h"
#include "CATPLMValues.h"

namespace {

bool Digits(const std::string& text, size_t from, size_t count, int& value) {
  long long read = 0;
  if (CATReadDecimal(std::string_view(text).substr(from, count), 0, INT_MAX, read) != CATDecimalResult::OK)
    return false;
  value = static_cast<int>(read);
  return true;
}

// "YYYY-MM-DDTHH:MM:SSZ" in UTC, a date that exists.
bool ParseDate(const std::string& text, time_t& seconds) {
  int year, month, day, hour, minute, second;
  if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || text[19] != 'Z' || !Digits(text, 0, 4, year) || !Digits(text, 5, 2, month) ||
      !Digits(text, 8, 2, day) || !Digits(text, 11, 2, hour) || !Digits(text, 14, 2, minute) ||
      !Digits(text, 17, 2, second) || year < 1 || hour > 23 || minute > 59 || second > 59)
    return false;
  struct tm fields {};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  seconds = timegm(&fields);
  // timegm carries over impossible days (February 30th); the round trip shows them.
  struct tm back {};
  return gmtime_r(&seconds, &back) && back.tm_year == year - 1900 && back.tm_mon == month - 1 &&
         back.tm_mday == day;
}

std::string FormatDate(time_t seconds) {
  struct tm fields {};
  char text[32] = "";
  if (!gmtime_r(&seconds, &fields) || !strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &fields)) return "";
  return text;
}

HRESULT Resolve(const CATICkeObject_var& object, CATPLMSessionPtr& session, CATPLMRecord*& record) {
  return CATPLMResolve(object.get(), session, record);
}

HRESULT FindAttribute(CATPLMRecord& record, const CATUnicodeString& name, CATPLMAttribute*& attribute) {
  attribute = record.Find(name.ConvertToUTF8());
  if (attribute) return S_OK;
  return CATPLMFail("PLM object " + record.Value("PLM_ExternalID") + " has no attribute " +
                    name.ConvertToUTF8());
}

}  // namespace

bool CATPLMCanonicalValue(const std::string& type, const std::string& text, std::string& canonical) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (type == "String") {
    canonical = text;
    return true;
  }
  if (type == "Integer") {
    long long value = 0;
    if (CATReadDecimal(text, INT_MIN, INT_MAX, value, CATDecimalSign::Minus) != CATDecimalResult::OK)
      return false;
    canonical = std::to_string(value);
    return true;
  }
  if (type == "Real") {
    double value = 0;
    auto [stop, error] = std::from_chars(begin, end, value);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) return false;
    char buffer[64];
    auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    canonical.assign(buffer, written.ptr);
    return true;
  }
  if (type == "Boolean") {
    std::string lower = CATUnicodeString(text).ToLowerCopy().ConvertToUTF8();
    if (lower != "true" && lower != "false") return false;
    canonical = lower;
    return true;
  }
  if (type == "Date") {
    time_t seconds;
    if (!ParseDate(text, seconds)) return false;
    canonical = FormatDate(seconds);
    return true;
  }
  return false;
}

HRESULT CATCkeObjectAttrReadServices::ShowAttributeValue(const CATICkeObject_var& iObject,
                                                         const CATUnicodeString& iName,
                                                         CATUnicodeString& oValue) {
  CATPLMSessionPtr session;
  CATPLMRecord* record = nullptr;
  CATPLMAttribute* attribute = nullptr;
  if (FAILED(Resolve(iObject, session, record)) || FAILED(FindAttribute(*record, iName, attribute)))
    return E_FAIL;
  CATUnicodeString injected;
  if (CATPLMInjectedFailure("Read", injected)) return CATPLMFail(injected);
  oValue = attribute->value;
  return S_OK;
}

HRESULT CATCkeObjectAttrReadServices::GetValueAsTime(const CATICkeObject_var& iObject,
                                                     const CATUnicodeString& iName, CATTime& oTime) {
  CATPLMSessionPtr session;
  CATPLMRecord* record = nullptr;
  CATPLMAttribute* attribute = nullptr;
  if (FAILED(Resolve(iObject, session, record)) || FAILED(FindAttribute(*record, iName, attribute)))
    return E_FAIL;
  time_t seconds;
  if (attribute->type != "Date" || !ParseDate(attribute->value, seconds))
    return CATPLMFail("Attribute " + attribute->name + " is a " + attribute->type + ", not a Date");
  oTime = CATTime(seconds);
  return S_OK;
}

HRESULT CATCkeObjectAttrWriteServices::SetValueWithString(const CATICkeObject_var& iObject,
                                                          const CATUnicodeString& iName,
                                                          const CATUnicodeString& iValue) {
  CATPLMSessionPtr session;
  CATPLMRecord* record = nullptr;
  CATPLMAttribute* attribute = nullptr;
  if (FAILED(Resolve(iObject, session, record)) || FAILED(FindAttribute(*record, iName, attribute)))
    return E_FAIL;
  CATUnicodeString injected;
  if (CATPLMInjectedFailure("Write", injected)) return CATPLMFail(injected);
  std::string canonical;
  if (!CATPLMCanonicalValue(attribute->type, iValue.ConvertToUTF8(), canonical))
    return CATPLMFail("\"" + iValue.ConvertToUTF8() + "\" is not a " + attribute->type +
                      " value for attribute " + attribute->name);
  attribute->value = canonical;
  record->modified = true;
  return S_OK;
}

HRESULT CATCkePLMNavPublicServices::ListAttributesFromObject(int iCriterion, const CATICkeObject_var& iObject,
                                                             CATListValCATAttributeInfos& oAttributes,
                                                             int iAppend) {
  if (iCriterion != 0) return E_INVALIDARG;
  CATPLMSessionPtr session;
  CATPLMRecord* record = nullptr;
  if (FAILED(Resolve(iObject, session, record))) return E_FAIL;
  if (!iAppend) oAttributes.RemoveAll();
  for (const CATPLMAttribute& attribute : record->attributes)
    oAttributes.Append(CATAttributeInfos(attribute.name, CATPLMValueType(attribute.type)));
  return S_OK;
}

HRESULT CATCkePLMNavPublicServices::GetMajorRevisionAttributeName(const CATIType_var& iType,
                                                                  CATUnicodeString& oName) {
  if (iType != NULL_var) {
    for (const char* instance : {"PLMCoreInstance", "PLMCoreRepInstance"}) {
      CATIType_var kind = CATPLMFindType(instance);
      if (kind != NULL_var && iType->IsATypeOf(kind))
        return CATPLMFail("Objects of type " + iType->Name().ConvertToUTF8() + " have no revision");
    }
  }
  oName = "majorrevision";
  return S_OK;
}

CATTime::CATTime(int iYear, int iMonth, int iDay, int iHour, int iMinute, int iSecond) {
  struct tm fields {};
  // Kept inside int range: the fields are offsets that timegm adds up.
  auto offset = [](long long value, long long base) {
    return static_cast<int>(std::clamp(value - base, -100000000LL, 100000000LL));
  };
  fields.tm_year = offset(iYear, 1900);
  fields.tm_mon = offset(iMonth, 1);
  fields.tm_mday = offset(iDay, 0);
  fields.tm_hour = offset(iHour, 0);
  fields.tm_min = offset(iMinute, 0);
  fields.tm_sec = offset(iSecond, 0);
  seconds_ = timegm(&fields);
}

CATUnicodeString CATTime::ConvertToString(const CATUnicodeString& iFormat) const {
  std::string format = iFormat.ConvertToUTF8();
  struct tm local {};
  // The zone may have changed since the last call (TZ set by the session).
  tzset();
  if (format.empty() || !localtime_r(&seconds_, &local)) return CATUnicodeString();
  // strftime gives 0 both for an empty result and for a buffer too small: grow up to a bound.
  for (size_t size = 256; size <= 65536; size *= 4) {
    std::string text(size, '\0');
    size_t length = strftime(text.data(), size, format.c_str(), &local);
    if (length > 0) return CATUnicodeString(text.data(), length);
  }
  return CATUnicodeString();
}
