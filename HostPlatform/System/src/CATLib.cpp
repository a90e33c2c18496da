#include "CATLib.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

const char* CATGetEnv(const char* name) {
  if (!name || !*name) return nullptr;
  return std::getenv(name);
}

CATLibStatus CATGetEnvValue(const char* name, char** value) {
  if (!value) return CATLibError;
  *value = nullptr;
  const char* found = CATGetEnv(name);
  if (!found) return CATLibError;
  *value = strdup(found);
  return *value ? CATLibSuccess : CATLibError;
}

CATLibStatus CATSetEnv(const char* name, const char* value) {
  // setenv rejects "=" in names itself, but an empty name would be accepted by unsetenv on some systems.
  if (!name || !*name || std::strchr(name, '=')) return CATLibError;
  int rc = value ? setenv(name, value, 1) : unsetenv(name);
  return rc == 0 ? CATLibSuccess : CATLibError;
}

unsigned int CATGetProcessId() {
  return static_cast<unsigned int>(getpid());
}

CATLibStatus CATGetTempDirectory(char* path, size_t size) {
  if (!path || size == 0) return CATLibError;
  path[0] = '\0';
  const char* tmp = CATGetEnv("TMPDIR");
  std::string dir = (tmp && *tmp) ? tmp : "/tmp";
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  if (dir.size() + 1 > size) return CATLibError;
  std::memcpy(path, dir.c_str(), dir.size() + 1);
  return CATLibSuccess;
}
