// Arbitrary bytes as a settings repository file: reading keeps what parses, every attribute kept reads back
// through the repository exactly, and writing what was kept gives a file that reads back whole.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "CATLib.h"
#include "CATSettingsFile.h"
#include "CATSysSettingRepository.h"

namespace {

std::string g_directory, g_file;
CATSysSettingRepository* g_repository = nullptr;

void RemoveFiles() {
  unlink(g_file.c_str());
  rmdir(g_directory.c_str());
}

// The repository reports damaged files on standard error; silence it so the fuzzer's own output stays
// readable.
void ReloadQuietly() {
  int saved = dup(2);
  int null = open("/dev/null", O_WRONLY);
  if (null >= 0) dup2(null, 2);
  g_repository->ReloadRepository();
  if (saved >= 0) dup2(saved, 2), close(saved);
  if (null >= 0) close(null);
}

CATUnicodeString FromUTF16(const std::u16string& text) {
  CATUnicodeString value;
  value.BuildFromUCChar(text.data(), text.size());
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char tmp[CATMaxPathSize];
  CATGetTempDirectory(tmp);
  std::string pattern = std::string(tmp) + "/zelfuzz.XXXXXX";
  if (!mkdtemp(pattern.data())) abort();
  CATSetEnv("CATUserSettingPath", pattern.c_str());
  g_directory = pattern;
  g_file = pattern + "/ZELFuzz.CATSettings";
  atexit(RemoveFiles);
  g_repository = CATSysSettingRepository::GetRepository("ZELFuzz");
  if (!g_repository) abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  CATSettingsParseResult parsed = CATParseSettingsText(text);

  CATSettingsParseResult again = CATParseSettingsText(CATFormatSettingsText(parsed.contents));
  if (!again.fault.empty() || !(again.contents == parsed.contents)) abort();

  std::ofstream(g_file, std::ios::binary | std::ios::trunc)
      .write(text.data(), static_cast<std::streamsize>(size));
  ReloadQuietly();
  for (const auto& [name, value] : parsed.contents) {
    if (value.isArray) {
      CATListValCATUnicodeString items;
      if (FAILED(g_repository->ReadArray(name.c_str(), items)) ||
          items.Size() != static_cast<int>(value.items.size()))
        abort();
      for (int i = 1; i <= items.Size(); ++i)
        if (items[i].GetUTF16() != value.items[static_cast<size_t>(i - 1)]) abort();
    } else {
      CATUnicodeString read;
      if (FAILED(g_repository->ReadSetting(name.c_str(), read)) || !(read == FromUTF16(value.text))) abort();
    }
  }
  return 0;
}
