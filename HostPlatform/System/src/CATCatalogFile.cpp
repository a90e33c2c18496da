#include "CATCatalogFile.h"
#include "CATSearchPath.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <mutex>
#include <sstream>

#include "CATDecimalReader.h"
#include "CATInstantiateComponent.h"
#include "CATLib.h"

namespace {

bool IsKeyChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
         c == '-';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

class CatalogParser {
 public:
  explicit CatalogParser(std::string_view text) : text_(text) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
  }

  CATCatalogParseResult Parse() {
    ParseEntries();
    return std::move(result_);
  }

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return text_[pos_]; }

  void Fail(size_t at, const std::string& message) {
    result_.fault = message;
    size_t end = std::min(at, text_.size());
    result_.faultLine = 1 + static_cast<int>(std::count(text_.begin(), text_.begin() + end, '\n'));
  }

  // Stops at the first fault, keeping the entries completed before it.
  void ParseEntries() {
    while (SkipBlank()) {
      if (AtEnd()) return;
      size_t keyStart = pos_;
      while (!AtEnd() && IsKeyChar(Peek())) ++pos_;
      if (pos_ == keyStart) return Fail(pos_, "expected a key");
      std::string key(text_.substr(keyStart, pos_ - keyStart));
      if (!SkipBlank()) return;
      if (AtEnd() || Peek() != '=') return Fail(pos_, "expected '=' after key " + key);
      ++pos_;
      if (!SkipBlank()) return;
      if (AtEnd() || Peek() != '"') return Fail(pos_, "expected a quoted text for key " + key);
      std::string value;
      while (!AtEnd() && Peek() == '"') {
        if (!ReadQuoted(value) || !SkipBlank()) return;
      }
      if (AtEnd() || Peek() != ';') return Fail(pos_, "expected ';' after the text of key " + key);
      ++pos_;
      result_.entries[key] = std::move(value);
    }
  }

  // Skips white space and comments; false (fault recorded) on an unterminated block comment.
  bool SkipBlank() {
    while (!AtEnd()) {
      char c = Peek();
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
        ++pos_;
      } else if (text_.compare(pos_, 2, "//") == 0) {
        size_t end = text_.find('\n', pos_);
        pos_ = end == std::string_view::npos ? text_.size() : end + 1;
      } else if (text_.compare(pos_, 2, "/*") == 0) {
        size_t end = text_.find("*/", pos_ + 2);
        if (end == std::string_view::npos) {
          Fail(pos_, "unterminated comment");
          return false;
        }
        pos_ = end + 2;
      } else {
        break;
      }
    }
    return true;
  }

  // Appends the quoted text at pos_ to value; false (fault recorded) when it is not closed.
  bool ReadQuoted(std::string& value) {
    size_t start = pos_++;
    while (!AtEnd()) {
      char c = text_[pos_++];
      if (c == '"') return true;
      if (c == '\\') {
        if (AtEnd()) break;
        char e = text_[pos_++];
        switch (e) {
          case '"':
            value += '"';
            break;
          case '\\':
            value += '\\';
            break;
          case 'n':
            value += '\n';
            break;
          case 't':
            value += '\t';
            break;
          // Unknown escapes stay as written, so texts holding Windows paths survive.
          default:
            value += '\\', value += e;
            break;
        }
      } else if (c == '\r' && !AtEnd() && Peek() == '\n') {
        // A text spanning lines of a CRLF file keeps plain line ends.
      } else {
        value += c;
      }
    }
    Fail(start, "unterminated text");
    return false;
  }

  std::string_view text_;
  size_t pos_ = 0;
  CATCatalogParseResult result_;
};

bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name.find('/') == std::string::npos && name.find("..") == std::string::npos &&
         name.find('\0') == std::string::npos;
}

struct CatalogCache {
  std::mutex mutex;
  // Missing catalogs are remembered too (null), so a lookup miss costs no file access the second time.
  std::map<std::string, std::shared_ptr<const CATCatalogEntries>> catalogs;
};

CatalogCache& Cache() {
  static CatalogCache* cache = new CatalogCache;
  return *cache;
}

std::shared_ptr<const CATCatalogEntries> ReadCatalog(const std::string& fileName) {
  for (const std::string& dir : CATGetCatalogDirectories()) {
    std::string path = dir + "/" + fileName;
    struct stat info {};
    // Regular files only: a FIFO or device under a catalog name would block or never end.
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    std::ifstream in(path, std::ios::binary);
    if (!in) continue;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CATCatalogParseResult parsed = CATParseCatalogText(text);
    if (!parsed.fault.empty())
      std::cerr << "catalog " << path << ":" << parsed.faultLine << ": " << parsed.fault
                << "; the rest of the file is ignored" << std::endl;
    return std::make_shared<const CATCatalogEntries>(std::move(parsed.entries));
  }
  return nullptr;
}

}  // namespace

CATCatalogParseResult CATParseCatalogText(std::string_view text) {
  return CatalogParser(text).Parse();
}

std::string CATInsertCatalogParameters(std::string_view text, const std::vector<std::string>& params) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '/' && i + 2 < text.size() && text[i + 1] == 'P' && IsDigit(text[i + 2])) {
      // The whole digit run is the number, so /P1 never takes the "1" of /P10.
      size_t end = i + 2;
      while (end < text.size() && IsDigit(text[end])) ++end;
      long long number = 0;
      if (CATReadDecimal(text.substr(i + 2, end - i - 2), 1, static_cast<long long>(params.size()), number) ==
          CATDecimalResult::OK)
        out += params[static_cast<size_t>(number) - 1];
      else
        out.append(text.substr(i, end - i));
      i = end;
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::vector<std::string> CATGetCatalogDirectories() {
  std::vector<std::string> dirs = CATSplitSearchPath(CATGetEnv("CATMsgCatalogPath"));
  std::string lib = CATGetRuntimeLibraryDirectory();
  if (!lib.empty()) dirs.push_back(lib + "/../../resources/msgcatalog");
  return dirs;
}

std::shared_ptr<const CATCatalogEntries> CATFindCatalog(const std::string& catalog, const char* extension) {
  if (!IsPlainFileName(catalog)) return nullptr;
  std::string fileName = catalog + extension;
  CatalogCache& cache = Cache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  auto found = cache.catalogs.find(fileName);
  if (found != cache.catalogs.end()) return found->second;
  // Read under the lock: each file is parsed once even when threads ask for it together.
  std::shared_ptr<const CATCatalogEntries> entries = ReadCatalog(fileName);
  cache.catalogs.emplace(fileName, entries);
  return entries;
}

void CATResetCatalogs() {
  CatalogCache& cache = Cache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  cache.catalogs.clear();
}
