#ifndef CATClientText_h
#define CATClientText_h
// Words of script lines and text of the transcript. Script text is the author's and is printed as written;
// text that comes from data (names, attribute values, dialog texts, the environment) goes through Escaped or
// Quoted, so no value can break a transcript line or pass itself off as a prompt or an error.
#include <string>
#include <vector>

class CATClientText {
 public:
  // Without leading and trailing blanks and line ends.
  static std::string Trim(const std::string& text);
  // Splits off the first blank-separated word; the rest keeps its inner blanks.
  static std::string Shift(std::string& text);
  static std::vector<std::string> Words(std::string text);
  // A whole decimal number within [min, max].
  static bool ParseInt(const std::string& text, int min, int max, int& value);

  // Data made printable on one line: a backslash as "\\", line feed and tab as "\n" and "\t", every other
  // control character (C0, DEL, and C1 as its two UTF-8 bytes) as "\xHH".
  static std::string Escaped(const std::string& data);
  // Escaped, with double quotes around and inside escaped.
  static std::string Quoted(const std::string& data);
  // Control characters other than the tab escaped, backslashes left alone: the last guard of every
  // transcript line, for script text and messages that may carry data not escaped on its way.
  static std::string OneLine(const std::string& text);
  static std::string Hex(unsigned long value);
};

#endif
