#ifndef CATSettingsFile_h
#define CATSettingsFile_h
// Text form of a settings repository file. Private to CATSysTS; the fuzz targets drive it directly.
//
//   CATSettings 1
//   s<TAB>name<TAB>value                      a string attribute
//   a<TAB>name<TAB>count<TAB>item<TAB>item    an array attribute with count items
//   end<TAB>records                           the number of attribute lines above
//
// Every line ends with a line feed. Names are bytes; \\ \t \n \r and \xHH escape the backslash and control
// bytes. Values are UTF-16; they are written as UTF-8 with \\ \t \n \r and \uXXXX for other controls and
// unpaired surrogates, so every string reads back exactly as written.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "CATDataType.h"

struct CATSettingValue {
  bool isArray = false;
  std::u16string text;
  std::vector<std::u16string> items;
  bool operator==(const CATSettingValue& other) const {
    return isArray == other.isArray && text == other.text && items == other.items;
  }
};
typedef std::map<std::string, CATSettingValue> CATSettingContents;

struct CATSettingsParseResult {
  CATSettingContents contents;
  // Empty when the file is whole; otherwise the first fault, at faultLine (1-based).
  std::string fault;
  int faultLine = 0;
  // Lines that could not be read (the attributes of every other line are kept).
  int damagedLines = 0;
};

ExportedByCATSysTS CATSettingsParseResult CATParseSettingsText(std::string_view text);
ExportedByCATSysTS std::string CATFormatSettingsText(const CATSettingContents& contents);

#endif
