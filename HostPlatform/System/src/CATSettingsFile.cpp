#include "CATSettingsFile.h"

#include <optional>

#include "CATDecimalReader.h"
#include "CATUnicodeString.h"

namespace {

const char kHeader[] = "CATSettings 1";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Value of `digits` hexadecimal digits at text[pos], or -1.
long ReadHex(std::string_view text, size_t pos, int digits) {
  if (pos + static_cast<size_t>(digits) > text.size()) return -1;
  long value = 0;
  for (int i = 0; i < digits; ++i) {
    int v = HexValue(text[pos + static_cast<size_t>(i)]);
    if (v < 0) return -1;
    value = value * 16 + v;
  }
  return value;
}

void AppendHex(std::string& out, unsigned value, int digits) {
  static const char hex[] = "0123456789ABCDEF";
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += hex[(value >> shift) & 0xF];
}

bool AppendCommonEscape(std::string& out, unsigned c) {
  switch (c) {
    case '\\':
      out += "\\\\";
      return true;
    case '\t':
      out += "\\t";
      return true;
    case '\n':
      out += "\\n";
      return true;
    case '\r':
      out += "\\r";
      return true;
    default:
      return false;
  }
}

void EncodeName(std::string& out, std::string_view name) {
  for (char ch : name) {
    unsigned c = static_cast<unsigned char>(ch);
    if (AppendCommonEscape(out, c)) continue;
    if (c < 0x20 || c == 0x7F) {
      out += "\\x";
      AppendHex(out, c, 2);
    } else {
      out += ch;
    }
  }
}

void EncodeValue(std::string& out, const std::u16string& value) {
  for (size_t i = 0; i < value.size();) {
    char32_t c;
    i += CATDecodeUTF16(value, i, c);
    if (AppendCommonEscape(out, c)) {
      continue;
    } else if (c < 0x20 || c == 0x7F || (c >= 0xD800 && c <= 0xDFFF)) {
      // A lone surrogate has no UTF-8 form: escaped, it survives the round trip.
      out += "\\u";
      AppendHex(out, static_cast<unsigned>(c), 4);
    } else {
      CATAppendUTF8(out, c);
    }
  }
}

std::optional<char> CommonUnescape(char e) {
  switch (e) {
    case '\\':
      return '\\';
    case 't':
      return '\t';
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    default:
      return std::nullopt;
  }
}

std::optional<std::string> DecodeName(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      out += field[i];
      continue;
    }
    if (++i >= field.size()) return std::nullopt;
    if (auto c = CommonUnescape(field[i])) {
      out += *c;
    } else if (field[i] == 'x') {
      long v = ReadHex(field, i + 1, 2);
      if (v < 0) return std::nullopt;
      out += static_cast<char>(v);
      i += 2;
    } else {
      return std::nullopt;
    }
  }
  // The interface names attributes by C strings: an empty name or one holding a NUL cannot be asked for.
  if (out.empty() || out.find('\0') != std::string::npos) return std::nullopt;
  return out;
}

std::optional<std::u16string> DecodeValue(std::string_view field) {
  std::u16string out;
  size_t runStart = 0;
  auto flush = [&](size_t end) {
    if (end > runStart) out += CATUTF8ToUTF16(field.substr(runStart, end - runStart));
  };
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') continue;
    flush(i);
    if (i + 1 >= field.size()) return std::nullopt;
    char e = field[i + 1];
    if (auto c = CommonUnescape(e)) {
      out += static_cast<char16_t>(*c);
      i += 1;
    } else if (e == 'u') {
      long v = ReadHex(field, i + 2, 4);
      if (v < 0) return std::nullopt;
      out += static_cast<char16_t>(v);
      i += 5;
    } else {
      return std::nullopt;
    }
    runStart = i + 1;
  }
  flush(field.size());
  return out;
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (true) {
    size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) {
      fields.push_back(line.substr(start));
      return fields;
    }
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
}

std::optional<size_t> ParseCount(std::string_view field) {
  long long value = 0;
  if (CATReadDecimal(field, 0, 999999999, value) != CATDecimalResult::OK) return std::nullopt;
  return static_cast<size_t>(value);
}

// One attribute line; false when it is damaged.
bool ParseRecord(const std::vector<std::string_view>& fields, CATSettingContents& contents) {
  if (fields.size() < 3) return false;
  std::optional<std::string> name = DecodeName(fields[1]);
  if (!name) return false;
  CATSettingValue value;
  if (fields[0] == "s") {
    if (fields.size() != 3) return false;
    std::optional<std::u16string> text = DecodeValue(fields[2]);
    if (!text) return false;
    value.text = std::move(*text);
  } else if (fields[0] == "a") {
    std::optional<size_t> count = ParseCount(fields[2]);
    if (!count || fields.size() - 3 != *count) return false;
    value.isArray = true;
    for (size_t i = 3; i < fields.size(); ++i) {
      std::optional<std::u16string> item = DecodeValue(fields[i]);
      if (!item) return false;
      value.items.push_back(std::move(*item));
    }
  } else {
    return false;
  }
  contents[*name] = std::move(value);
  return true;
}

}  // namespace

CATSettingsParseResult CATParseSettingsText(std::string_view text) {
  CATSettingsParseResult result;
  auto fault = [&result](int line, const char* message) {
    if (result.fault.empty()) {
      result.fault = message;
      result.faultLine = line;
    }
  };
  size_t pos = 0;
  int line = 0;
  int records = 0;
  bool ended = false;
  while (pos < text.size()) {
    ++line;
    size_t newline = text.find('\n', pos);
    if (newline == std::string_view::npos) {
      // Only a write cut short leaves a line without its line feed; what it holds is not trusted.
      fault(line, "truncated line");
      ++result.damagedLines;
      break;
    }
    std::string_view content = text.substr(pos, newline - pos);
    pos = newline + 1;
    if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
    if (line == 1) {
      if (content == kHeader) continue;
      fault(line, "not a settings file header");
    }
    if (content.empty()) continue;
    if (ended) {
      fault(line, "data after the end line");
      ++result.damagedLines;
      continue;
    }
    std::vector<std::string_view> fields = SplitTabs(content);
    if (fields[0] == "end") {
      ended = true;
      if (fields.size() != 2 || ParseCount(fields[1]) != static_cast<size_t>(records))
        fault(line, "attribute count of the end line does not match");
      continue;
    }
    ++records;
    if (!ParseRecord(fields, result.contents)) {
      fault(line, "damaged attribute line");
      ++result.damagedLines;
    }
  }
  if (!ended) fault(line + 1, "file ends before its end line");
  return result;
}

std::string CATFormatSettingsText(const CATSettingContents& contents) {
  std::string out = kHeader;
  out += '\n';
  for (const auto& [name, value] : contents) {
    out += value.isArray ? "a\t" : "s\t";
    EncodeName(out, name);
    out += '\t';
    if (value.isArray) {
      out += std::to_string(value.items.size());
      for (const std::u16string& item : value.items) {
        out += '\t';
        EncodeValue(out, item);
      }
    } else {
      EncodeValue(out, value.text);
    }
    out += '\n';
  }
  out += "end\t" + std::to_string(contents.size()) + "\n";
  return out;
}
