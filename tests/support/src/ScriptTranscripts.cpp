#include "ScriptTranscripts.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cctype>

#include "ZELTestSupport.h"

namespace fs = std::filesystem;

namespace zeltest {

std::vector<std::string> ScriptNames(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.path().extension() == ".script") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ScriptTestName(const std::string& script) {
  std::string name = script;
  std::replace_if(
      name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
  return name;
}

std::string ExecuteSql(const fs::path& database, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string error;
  char* message = nullptr;
  if (sqlite3_open(database.c_str(), &db) != SQLITE_OK)
    error = "cannot open " + database.string();
  else if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK)
    error = message ? message : "failed";
  sqlite3_free(message);
  sqlite3_close(db);
  return error;
}

void ExpectTranscript(const fs::path& expected, const std::string& name, const std::string& transcript,
                      const std::string& errors) {
  if (fs::exists(expected) && ReadFile(expected) == transcript) return;
  const fs::path actual = fs::path(ZEL_BINARY_DIR) / "tests" / (name + ".actual");
  WriteFile(actual, transcript);
  ADD_FAILURE() << "transcript differs from " << expected << "; actual in " << actual << "\nstandard error:\n"
                << errors;
}

}  // namespace zeltest
