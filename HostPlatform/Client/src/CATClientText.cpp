#include "CATClientText.h"

#include <cstdio>

#include "CATDecimalReader.h"

namespace {

void AppendHex(std::string& out, unsigned char c) {
  char escaped[8];
  std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
  out += escaped;
}

// Escapes control characters into out; backslashes and quotes only when asked. A C1 control comes as the
// UTF-8 pair C2 80..C2 9F, and some readers take U+0085 for a line end, so the pair is escaped too.
std::string Escape(const std::string& text, bool backslash, bool quote, bool tab) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if ((c == '\\' && backslash) || (c == '"' && quote)) {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += tab ? "\\t" : "\t";
    } else if (c < 0x20 || c == 0x7f) {
      AppendHex(out, c);
    } else if (c == 0xc2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[i + 1]) <= 0x9f) {
      AppendHex(out, c);
      AppendHex(out, static_cast<unsigned char>(text[++i]));
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace

std::string CATClientText::Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::string();
  size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

std::string CATClientText::Shift(std::string& text) {
  text = Trim(text);
  size_t blank = text.find_first_of(" \t");
  std::string word = text.substr(0, blank);
  text = blank == std::string::npos ? std::string() : Trim(text.substr(blank));
  return word;
}

std::vector<std::string> CATClientText::Words(std::string text) {
  std::vector<std::string> words;
  for (std::string word = Shift(text); !word.empty(); word = Shift(text)) words.push_back(word);
  return words;
}

bool CATClientText::ParseInt(const std::string& text, int min, int max, int& value) {
  long long parsed = 0;
  if (CATReadDecimal(text, min, max, parsed, CATDecimalSign::Minus) != CATDecimalResult::OK) return false;
  value = static_cast<int>(parsed);
  return true;
}

std::string CATClientText::Escaped(const std::string& data) {
  return Escape(data, true, false, true);
}

std::string CATClientText::Quoted(const std::string& data) {
  return "\"" + Escape(data, true, true, true) + "\"";
}

std::string CATClientText::OneLine(const std::string& text) {
  return Escape(text, false, false, false);
}

std::string CATClientText::Hex(unsigned long value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx", value);
  return text;
}
