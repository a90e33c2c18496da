// The desktop's launch: a program given with parameters is started itself with them as its one argument,
// an address goes to the opener without being taken for a file, and a launch that cannot start says why.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "CATShellExecute.h"
#include "ZELTestSupport.h"

namespace {

// Prints each argument on a line of its own, bracketed, so blanks and quotes show where they are.
std::string WriteRecorder(const zeltest::TempDir& dir) {
  const std::string path = (dir.Path() / "record.sh").string();
  zeltest::WriteFile(path, "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  return path;
}

}  // namespace

TEST(ShellLaunch, AProgramGetsItsParametersAsOneArgumentWithoutAShell) {
  zeltest::TempDir dir("zel-launch");
  const std::string recorder = WriteRecorder(dir);
  const std::string address = "https://pdm.example/?id=a b\"c'$(touch x);#frag&x";
  ASSERT_GT(ShellExecuteA(nullptr, "open", recorder.c_str(), address.c_str(), nullptr, 1), 32);
  std::vector<CATShellOpenRecord> opened = CATShellCollectOpens(10000);
  ASSERT_FALSE(opened.empty());
  EXPECT_EQ(recorder, opened.back().program);
  EXPECT_EQ(address, opened.back().document);
  EXPECT_EQ("[" + address + "]\n", opened.back().output);
  EXPECT_EQ(0, opened.back().exitCode);
  // A shell would have run the command substitution in the launcher's working directory.
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::current_path() / "x"));
}

TEST(ShellLaunch, AnAddressGoesToTheOpenerAndItsParametersAreNotAProgram) {
  zeltest::TempDir dir("zel-launch");
  zeltest::ScopedEnv opener("CATDocumentOpener", WriteRecorder(dir).c_str());
  const char* address = "https://cim.example/cim/info/part/P1@A?lang=en";
  // The same address as target and as parameters opens it once, as a document.
  ASSERT_GT(ShellExecuteA(nullptr, "open", address, address, nullptr, 1), 32);
  std::vector<CATShellOpenRecord> opened = CATShellCollectOpens(10000);
  ASSERT_FALSE(opened.empty());
  EXPECT_EQ(std::string("[") + address + "]\n", opened.back().output);
  // A file path is still looked for: a missing one is not handed to the opener.
  const size_t before = opened.size();
  EXPECT_EQ(2, ShellExecuteA(nullptr, "open", "/nonexistent/report.htm", nullptr, nullptr, 1));
  EXPECT_EQ(before, CATShellCollectOpens(0).size());
}

TEST(ShellLaunch, AProgramThatCannotStartReturnsTheReasonInErrno) {
  const size_t before = CATShellCollectOpens(0).size();
  errno = 0;
  EXPECT_EQ(2, ShellExecuteA(nullptr, "open", "/nonexistent/zel-browser", "https://x.example/", nullptr, 1));
  EXPECT_EQ(ENOENT, errno);
  zeltest::TempDir dir("zel-launch");
  const std::string plain = (dir.Path() / "not-executable").string();
  zeltest::WriteFile(plain, "#!/bin/sh\n");
  errno = 0;
  EXPECT_EQ(5, ShellExecuteA(nullptr, "open", plain.c_str(), "https://x.example/", nullptr, 1));
  EXPECT_EQ(EACCES, errno);
  // An opener that is missing: the address is not lost silently.
  zeltest::ScopedEnv opener("CATDocumentOpener", "/nonexistent/zel-opener");
  errno = 0;
  EXPECT_EQ(31, ShellExecuteA(nullptr, "open", "https://x.example/", nullptr, nullptr, 1));
  EXPECT_EQ(ENOENT, errno);
  EXPECT_EQ(before, CATShellCollectOpens(0).size());
}
