#ifndef ScriptTranscripts_h
#define ScriptTranscripts_h
// What the script-driven tests of the client program share: the scripts of a folder, SQL fixtures applied to
// a private PLM database, and the comparison of a transcript with its .expected file.
#include <filesystem>
#include <string>
#include <vector>

namespace zeltest {

// The names (without ".script") of the scripts in dir, sorted.
std::vector<std::string> ScriptNames(const std::filesystem::path& dir);
// A test name gtest accepts for a script name.
std::string ScriptTestName(const std::string& script);
// Runs the SQL on the database file; the error text, empty when it went through.
std::string ExecuteSql(const std::filesystem::path& database, const std::string& sql);
// Fails the current test when transcript differs from the expected file, keeping it as
// <build>/tests/<name>.actual for a look (and, once checked by hand, for copying over the expected
// transcript).
void ExpectTranscript(const std::filesystem::path& expected, const std::string& name,
                      const std::string& transcript, const std::string& errors);

}  // namespace zeltest

#endif
