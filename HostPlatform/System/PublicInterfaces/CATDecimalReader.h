#ifndef CATDecimalReader_h
#define CATDecimalReader_h
// The one reader of decimal integers of the platform: the whole text is the number, nothing else. No
// white space, no trailing characters, no base prefix, no digits other than ASCII "0" to "9"; leading
// zeros are allowed. A sign is read only where the caller allows one.
#include <string_view>

#include "CATSysTSExport.h"

enum class CATDecimalSign {
  None,   // digits only
  Minus,  // an optional "-"
  Any     // an optional "-" or "+"
};

enum class CATDecimalResult {
  OK,
  Syntax,  // not a number as described above (also the empty text)
  Range    // a number, but outside [min, max] (however many digits it has)
};

// Reads text into value when it is a number within [min, max]; value is left untouched otherwise.
ExportedByCATSysTS CATDecimalResult CATReadDecimal(std::string_view text, long long min, long long max,
                                                   long long& value,
                                                   CATDecimalSign sign = CATDecimalSign::None);
ExportedByCATSysTS CATDecimalResult CATReadDecimal(std::u16string_view text, long long min, long long max,
                                                   long long& value,
                                                   CATDecimalSign sign = CATDecimalSign::None);

#endif
