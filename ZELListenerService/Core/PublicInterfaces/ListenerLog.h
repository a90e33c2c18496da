#ifndef ListenerLog_h
#define ListenerLog_h
// The listener's log: leveled lines to the day's log file (when open) and to standard output, and start-up
// lines to standard output only. One instance per process.
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <string>

enum ListenerLogLevel { kListenerLogDebug = 0, kListenerLogInfo = 1, kListenerLogError = 2 };

class ListenerLog {
 public:
  // console receives the standard-output form; nullptr discards it (the fuzzer).
  explicit ListenerLog(std::FILE* console = stdout) : console_(console) {}
  ~ListenerLog();
  ListenerLog(const ListenerLog&) = delete;
  ListenerLog& operator=(const ListenerLog&) = delete;

  // Opens <directory>/ZelListener.<yyyymmdd>.log for appending and takes the level over. An empty directory
  // means standard output only; false when the file cannot be opened (the log goes on on standard output).
  bool Open(const std::string& directory, int level);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  const std::string& FilePath() const { return filePath_; }
  int Level() const { return level_; }

  void Debug(const char* tag, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void Info(const char* tag, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void Error(const char* tag, const char* format, ...) __attribute__((format(printf, 3, 4)));
  // Standard output only, whatever the level: before the log is open, and the number-parsing messages.
  void Startup(const char* tag, const char* format, ...) __attribute__((format(printf, 3, 4)));

  static const char* LevelName(int level);  // "DEBUG", "INFO", "ERROR", else "UNKNOWN"
  // "yyyy-mm-dd hh:mm:ss,mmm" in local time.
  static std::string Timestamp(const std::timespec& now);
  // "ZelListener.yyyymmdd.log" for the local date of now.
  static std::string FileName(std::time_t now);

 private:
  void Write(int level, const char* tag, const char* format, va_list arguments);
  void WriteConsole(const std::string& stamp, const char* tag, const std::string& text);

  std::FILE* console_;
  int fd_ = -1;
  int level_ = kListenerLogDebug;  // every message passes until the configuration's level is known
  std::string filePath_;
};

#endif
