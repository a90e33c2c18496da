#include "CATSysSettingRepository.h"

#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <mutex>

#include "CATLib.h"
#include "CATSettingsFile.h"

namespace {

std::string SettingDirectory() {
  const char* configured = CATGetEnv("CATUserSettingPath");
  if (configured && *configured) return configured;
  const char* home = CATGetEnv("HOME");
  std::string homeDir = home && *home ? home : "";
  if (homeDir.empty()) {
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir)
      homeDir = found->pw_dir;
  }
  return homeDir.empty() ? std::string() : homeDir + "/.config/zel/settings";
}

bool IsValidName(const char* name) {
  if (!name || !*name) return false;
  std::string text = name;
  if (text.find('/') != std::string::npos || text.find("..") != std::string::npos) return false;
  for (char c : text)
    if (static_cast<unsigned char>(c) < 0x20) return false;
  return true;
}

// Creates every missing directory of path with mode 0700 (settings are private to the user).
bool MakeDirectories(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
    if (mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) return false;
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

class SettingRepository final : public CATSysSettingRepository {
 public:
  SettingRepository(std::string name, std::string directory)
      : name_(std::move(name)), directory_(std::move(directory)) {}

  const char* GetName() const override { return name_.c_str(); }

  HRESULT ReadSetting(const char* attribute, CATUnicodeString& value) const override {
    if (!attribute || !*attribute) return E_FAIL;
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = contents_.find(attribute);
    if (found == contents_.end() || found->second.isArray) return E_FAIL;
    value.BuildFromUCChar(found->second.text.data(), found->second.text.size());
    return S_OK;
  }

  HRESULT WriteSetting(const char* attribute, const CATUnicodeString& value) override {
    if (!attribute || !*attribute) return E_FAIL;
    CATSettingValue stored;
    stored.text = value.GetUTF16();
    std::lock_guard<std::mutex> lock(mutex_);
    contents_[attribute] = std::move(stored);
    return S_OK;
  }

  HRESULT ReadArray(const char* attribute, CATListValCATUnicodeString& values) const override {
    if (!attribute || !*attribute) return E_FAIL;
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = contents_.find(attribute);
    if (found == contents_.end() || !found->second.isArray) return E_FAIL;
    values.RemoveAll();
    for (const std::u16string& item : found->second.items) {
      CATUnicodeString text;
      text.BuildFromUCChar(item.data(), item.size());
      values.Append(text);
    }
    return S_OK;
  }

  HRESULT WriteArray(const char* attribute, const CATListValCATUnicodeString& values) override {
    if (!attribute || !*attribute) return E_FAIL;
    CATSettingValue stored;
    stored.isArray = true;
    for (const CATUnicodeString& item : values) stored.items.push_back(item.GetUTF16());
    std::lock_guard<std::mutex> lock(mutex_);
    contents_[attribute] = std::move(stored);
    return S_OK;
  }

  HRESULT RemoveAttribute(const char* attribute) override {
    if (!attribute || !*attribute) return E_FAIL;
    std::lock_guard<std::mutex> lock(mutex_);
    return contents_.erase(attribute) ? S_OK : E_FAIL;
  }

  HRESULT SaveRepository() override {
    // Held for the whole save so that two saves cannot rename their files in the opposite order.
    std::lock_guard<std::mutex> lock(mutex_);
    if (directory_.empty()) return Report("no settings directory (neither CATUserSettingPath nor HOME)");
    if (!MakeDirectories(directory_))
      return Report("cannot create " + directory_ + ": " + std::strerror(errno));
    static std::atomic<unsigned> counter{0};
    const std::string path = FilePath();
    const std::string temporary = directory_ + "/." + name_ + ".CATSettings." + std::to_string(getpid()) +
                                  "." + std::to_string(counter++) + ".tmp";
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return Report("cannot create " + temporary + ": " + std::strerror(errno));
    bool written = WriteAll(fd, CATFormatSettingsText(contents_)) && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && written) written = false, error = errno;
    if (written && keepDamagedFile_) {
      // The unreadable lines of a damaged file are not lost by the save: the file stays beside as it was.
      const std::string kept = path + ".damaged";
      unlink(kept.c_str());
      if (link(path.c_str(), kept.c_str()) == 0 || errno == ENOENT)
        keepDamagedFile_ = false;
      else
        Report("cannot keep the damaged file as " + kept + ": " + std::strerror(errno));
    }
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
      if (written) error = errno;
      unlink(temporary.c_str());
      return Report("cannot write " + path + ": " + std::strerror(error));
    }
    int dirFd = open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
      fsync(dirFd);
      close(dirFd);
    }
    return S_OK;
  }

  HRESULT ReloadRepository() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return Load();
  }

  // Reads the file into memory; a missing file is an empty repository.
  HRESULT Load() {
    contents_.clear();
    keepDamagedFile_ = false;
    if (directory_.empty()) return S_OK;
    const std::string path = FilePath();
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return errno == ENOENT ? S_OK : Report("cannot read " + path);
    if (!S_ISREG(info.st_mode)) return Report(path + " is not a regular file");
    std::ifstream in(path, std::ios::binary);
    if (!in) return Report("cannot open " + path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CATSettingsParseResult parsed = CATParseSettingsText(text);
    contents_ = std::move(parsed.contents);
    if (!parsed.fault.empty()) {
      keepDamagedFile_ = true;
      std::cerr << "settings " << path << ":" << parsed.faultLine << ": " << parsed.fault << "; "
                << parsed.damagedLines << " damaged line(s) ignored, " << contents_.size()
                << " attribute(s) kept; the file is kept as " << path << ".damaged at the next save"
                << std::endl;
    }
    return S_OK;
  }

 private:
  std::string FilePath() const { return directory_ + "/" + name_ + ".CATSettings"; }

  HRESULT Report(const std::string& message) const {
    std::cerr << "settings repository " << name_ << ": " << message << std::endl;
    return E_FAIL;
  }

  const std::string name_;
  const std::string directory_;
  mutable std::mutex mutex_;
  CATSettingContents contents_;
  bool keepDamagedFile_ = false;
};

struct RepositoryRegistry {
  std::mutex mutex;
  std::map<std::string, SettingRepository*> repositories;  // each holds one reference
};

RepositoryRegistry& Registry() {
  static RepositoryRegistry* registry = new RepositoryRegistry;
  return *registry;
}

}  // namespace

CATSysSettingRepository* CATSysSettingRepository::GetRepository(const char* name) {
  if (!IsValidName(name)) return nullptr;
  RepositoryRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  SettingRepository*& slot = registry.repositories[name];
  if (!slot) {
    slot = new SettingRepository(name, SettingDirectory());
    slot->Load();
  }
  slot->AddRef();
  return slot;
}

CATSettingRepository* CATSettingRepository::GetRepository(const char* name) {
  return CATSysSettingRepository::GetRepository(name);
}

int CATSettingRepository::ExistsRepository(const char* name) {
  if (!IsValidName(name)) return 0;
  {
    RepositoryRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    if (registry.repositories.count(name)) return 1;
  }
  std::string directory = SettingDirectory();
  struct stat info {};
  return !directory.empty() && stat((directory + "/" + name + ".CATSettings").c_str(), &info) == 0 ? 1 : 0;
}

void CATSysSettingRepository::ResetAll() {
  std::map<std::string, SettingRepository*> dropped;
  {
    RepositoryRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    dropped.swap(registry.repositories);
  }
  for (auto& entry : dropped) entry.second->Release();
}
