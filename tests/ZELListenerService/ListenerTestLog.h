#ifndef ListenerTestLog_h
#define ListenerTestLog_h
// A listener log whose standard-output form is captured in memory.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ListenerLog.h"

class CapturedConsole {
 public:
  CapturedConsole() : file_(open_memstream(&buffer_, &size_)) {}
  ~CapturedConsole() {
    if (file_) std::fclose(file_);
    std::free(buffer_);
  }
  CapturedConsole(const CapturedConsole&) = delete;
  CapturedConsole& operator=(const CapturedConsole&) = delete;

  std::FILE* File() const { return file_; }
  std::string Text() {
    std::fflush(file_);
    return std::string(buffer_, size_);
  }

 private:
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
  std::FILE* file_;
};

#endif
