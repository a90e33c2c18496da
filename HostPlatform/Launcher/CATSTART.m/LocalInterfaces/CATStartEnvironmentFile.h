#ifndef CATStartEnvironmentFile_h
#define CATStartEnvironmentFile_h
// The launcher's environment file: one NAME=VALUE a line; blank lines and lines whose first non-blank
// character is '#' are skipped. The file is bounded in size and line length and refused beyond.
#include <cstddef>
#include <string>
#include <vector>

class CATStartEnvironmentFile {
 public:
  static constexpr size_t kMaxFileBytes = 64 * 1024;
  static constexpr size_t kMaxLineBytes = 4096;

  struct Variable {
    std::string name;
    std::string value;
  };

  // Reads and checks the whole file; false with Error() set when it is missing, unreadable, too large or
  // holds a malformed line.
  bool Load(const std::string& path);
  const std::vector<Variable>& Variables() const { return variables_; }
  const std::string& Error() const { return error_; }

 private:
  bool Parse(const std::string& path, const std::string& text);
  bool Fail(std::string message);

  std::vector<Variable> variables_;
  std::string error_;
};

#endif
