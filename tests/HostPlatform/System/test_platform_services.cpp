// Environment, component dictionaries, message and resource catalogs, settings repositories.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "CATInstantiateComponent.h"
#include "CATLib.h"
#include "CATMsgCatalog.h"
#include "CATRscCatalog.h"
#include "CATSysSettingRepository.h"
#include "ZELTestSupport.h"
#include "test_plugin_greeting.h"

namespace fs = std::filesystem;

namespace {

using zeltest::ReadFile;
using zeltest::ScopedEnv;
using zeltest::TempDir;
using zeltest::WriteFile;

}  // namespace

TEST(Environment, SetGetAndRemoveVariables) {
  ASSERT_EQ(CATLibSuccess, CATSetEnv("ZEL_TEST_VARIABLE", "value = ü"));
  EXPECT_STREQ("value = ü", CATGetEnv("ZEL_TEST_VARIABLE"));
  char* copy = nullptr;
  ASSERT_EQ(CATLibSuccess, CATGetEnvValue("ZEL_TEST_VARIABLE", &copy));
  EXPECT_STREQ("value = ü", copy);
  free(copy);

  ASSERT_EQ(CATLibSuccess, CATSetEnv("ZEL_TEST_VARIABLE", nullptr));
  EXPECT_EQ(nullptr, CATGetEnv("ZEL_TEST_VARIABLE"));
  copy = reinterpret_cast<char*>(1);
  EXPECT_EQ(CATLibError, CATGetEnvValue("ZEL_TEST_VARIABLE", &copy));
  EXPECT_EQ(nullptr, copy);
  EXPECT_EQ(CATLibError, CATSetEnv("", "x"));
  EXPECT_EQ(CATLibError, CATSetEnv("A=B", "x"));
  EXPECT_EQ(static_cast<unsigned>(getpid()), CATGetProcessId());
}

TEST(Environment, TempDirectoryHasNoTrailingSlash) {
  char path[CATMaxPathSize];
  {
    ScopedEnv env("TMPDIR", "/some/where//");
    ASSERT_EQ(CATLibSuccess, CATGetTempDirectory(path));
    EXPECT_STREQ("/some/where", path);
    char small[5];
    EXPECT_EQ(CATLibError, CATGetTempDirectory(small, sizeof small));
    EXPECT_STREQ("", small);
  }
  ScopedEnv env("TMPDIR", nullptr);
  ASSERT_EQ(CATLibSuccess, CATGetTempDirectory(path));
  EXPECT_STREQ("/tmp", path);
}

namespace {
CATDeclareIID(ZELITestCounted);
class ZELITestCounted : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(ZELITestCounted);
};
class ZELTestCounted : public ZELITestCounted {
 public:
  static inline int live = 0;
  ZELTestCounted() { ++live; }
  ~ZELTestCounted() override { --live; }
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<ZELITestCounted>(this, iid, out);
  }
};
}  // namespace

TEST(Components, InstantiateRegisteredClassAndReleaseOnMissingInterface) {
  CATRegisterComponent("ZELTestCounted", []() -> CATBaseUnknown* { return new ZELTestCounted; });
  void* out = nullptr;
  ASSERT_EQ(S_OK, CATInstantiateComponent("ZELTestCounted", IID_ZELITestCounted, &out));
  auto* counted = static_cast<ZELITestCounted*>(out);
  EXPECT_EQ(1u, counted->RefCount());
  counted->Release();
  EXPECT_EQ(0, ZELTestCounted::live);

  out = &out;
  EXPECT_EQ(E_NOINTERFACE, CATInstantiateComponent("ZELTestCounted", IID_ZELITestGreeting, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(0, ZELTestCounted::live);
  EXPECT_EQ(E_INVALIDARG, CATInstantiateComponent("ZELTestCounted", IID_ZELITestCounted, nullptr));
}

TEST(Components, DictionaryLoadsTheLibraryOfAnUnknownClass) {
  TempDir dir;
  WriteFile(dir / "test.dico",
            "# class interface library\n"
            "\n"
            "ZELTestGreeter ZELITestGreeting ZELTestPlugin   # trailing comment\n"
            "a malformed line with too many fields\n"
            "ZELTestOnlyTwo Fields\n"
            "ZELTestUnprovided ZELITestGreeting libZELTestPlugin\n"
            "ZELTestMissing ZELITestGreeting ZELNoSuchLibrary\n"
            "ZELTestOutside ZELITestGreeting ../lib/libZELTestPlugin\n");
  WriteFile(dir / "ignored.txt", "ZELTestOther ZELITestGreeting ZELTestPlugin\n");
  ScopedEnv env("CATDictionaryPath", (dir.Path().string() + "/absent:" + dir.Path().string()).c_str());

  ASSERT_FALSE(CATIsComponentRegistered("ZELTestGreeter"));
  void* out = nullptr;
  ASSERT_EQ(S_OK, CATInstantiateComponent("ZELTestGreeter", IID_ZELITestGreeting, &out));
  auto* greeting = static_cast<ZELITestGreeting*>(out);
  EXPECT_STREQ("greetings from the plugin", greeting->Greeting());
  greeting->Release();
  EXPECT_TRUE(CATIsComponentRegistered("ZELTestGreeter"));

  // Loaded but not provided, not loadable, not a short name, unlisted (the .txt file is no dictionary).
  testing::internal::CaptureStderr();
  for (const char* name : {"ZELTestUnprovided", "ZELTestMissing", "ZELTestOutside", "ZELTestOther"}) {
    out = &out;
    EXPECT_EQ(E_FAIL, CATInstantiateComponent(name, IID_ZELITestGreeting, &out)) << name;
    EXPECT_EQ(nullptr, out);
  }
  EXPECT_EQ(E_FAIL, CATLoadLibrary("ZELNoSuchLibrary"));
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, errors.find("ZELNoSuchLibrary")) << errors;

  EXPECT_EQ(S_OK, CATLoadLibrary("ZELTestPlugin"));
  EXPECT_EQ(S_OK, CATLoadLibrary("libZELTestPlugin"));
}

TEST(Components, RuntimeTreeDirectories) {
  std::string lib = CATGetRuntimeLibraryDirectory();
  EXPECT_TRUE(fs::equivalent(lib, ZEL_BINARY_DIR "/linux_a64/code/lib")) << lib;
  ScopedEnv env("CATDictionaryPath", nullptr);
  ASSERT_EQ(1u, CATGetDictionaryDirectories().size());
  EXPECT_TRUE(fs::equivalent(CATGetDictionaryDirectories()[0], ZEL_BINARY_DIR "/linux_a64/code/dictionary"));
}

class Catalogs : public testing::Test {
 protected:
  void SetUp() override { CATMsgCatalog::Reset(); }
  void TearDown() override { CATMsgCatalog::Reset(); }
  CATUnicodeString Build(const char* catalog, const char* key, std::vector<CATUnicodeString> params = {},
                         const char* fallback = "") {
    return CATMsgCatalog::BuildMessage(catalog, key, params.data(), static_cast<int>(params.size()),
                                       fallback);
  }
  TempDir first, second;
  ScopedEnv path{"CATMsgCatalogPath", (first.Path().string() + "::" + second.Path().string()).c_str()};
};

TEST_F(Catalogs, ParametersAreInsertedByNumber) {
  WriteFile(first / "ZELTest.CATNls",
            "Count = \"/P1 has /P2 items\";\n"
            "Many = \"/P1-/P10-/P2 and /P11\";\n"
            "Repeat = \"/P1 /P1 /P3 /P0 /P\";\n");
  EXPECT_EQ(CATUnicodeString("Box has 3 items"), Build("ZELTest", "Count", {"Box", "3"}));
  std::vector<CATUnicodeString> ten;
  for (int i = 1; i <= 10; ++i) ten.push_back(CATUnicodeString("v") + std::to_string(i).c_str());
  EXPECT_EQ(CATUnicodeString("v1-v10-v2 and /P11"), Build("ZELTest", "Many", ten));
  EXPECT_EQ(CATUnicodeString("a-/P10-/P2 and /P11"), Build("ZELTest", "Many", {"a"}));
  // A parameter holding a marker is inserted as it is, not expanded again.
  EXPECT_EQ(CATUnicodeString("/P3 /P3 /P3 /P0 /P"), Build("ZELTest", "Repeat", {"/P3"}));
}

TEST_F(Catalogs, SyntaxCommentsEscapesAndMultiLineTexts) {
  WriteFile(first / "ZELTest.CATNls",
            "\xEF\xBB\xBF// leading comment\r\n"
            "Frame.Label.Title = \"Dotted\"; /* block\n comment */ Url = \"http://host/a//b\";\n"
            "Joined = \"first \"\n   // between the parts\n   \"second\";\r\n"
            "Spanning = \"line one\r\nline two\";\n"
            "Escapes = \"quote \\\" backslash \\\\ nl \\n tab \\t other \\q\";\n"
            "Unicode = \"Grüße 日本\";\n");
  EXPECT_EQ(CATUnicodeString("Dotted"), Build("ZELTest", "Frame.Label.Title"));
  EXPECT_EQ(CATUnicodeString("http://host/a//b"), Build("ZELTest", "Url"));
  EXPECT_EQ(CATUnicodeString("first second"), Build("ZELTest", "Joined"));
  EXPECT_EQ(CATUnicodeString("line one\nline two"), Build("ZELTest", "Spanning"));
  EXPECT_EQ(CATUnicodeString("quote \" backslash \\ nl \n tab \t other \\q"), Build("ZELTest", "Escapes"));
  EXPECT_EQ(CATUnicodeString("Grüße 日本"), Build("ZELTest", "Unicode"));
}

TEST_F(Catalogs, MissingKeyOrCatalogGivesTheDefault) {
  WriteFile(first / "ZELTest.CATNls", "Present = \"here\";\n");
  EXPECT_EQ(CATUnicodeString("no /P2 for x"), Build("ZELTest", "Absent", {"x"}, "no /P2 for /P1"));
  EXPECT_EQ(CATUnicodeString("fallback"), Build("ZELNoSuchCatalog", "Present", {}, "fallback"));
  EXPECT_EQ(CATUnicodeString("unsafe"), Build("../ZELTest", "Present", {}, "unsafe"));
  EXPECT_EQ(1, CATMsgCatalog::HasKey("ZELTest", "Present"));
  EXPECT_EQ(0, CATMsgCatalog::HasKey("ZELTest", "Absent"));
  EXPECT_EQ(0, CATMsgCatalog::HasKey("ZELNoSuchCatalog", "Present"));
}

TEST_F(Catalogs, MalformedFileKeepsEntriesBeforeTheFaultAndReportsOnce) {
  const std::string file = (first / "ZELTest.CATNls").string();
  WriteFile(file,
            "Good = \"kept\";\n"
            "/* fine */ Also = \"kept too\";\n"
            "Broken = \"no semicolon\"\n"
            "After = \"lost\";\n");
  WriteFile(first / "ZELOpen.CATNls", "Good = \"kept\";\nOpen = \"never closed;\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(CATUnicodeString("kept"), Build("ZELTest", "Good"));
  EXPECT_EQ(CATUnicodeString("kept too"), Build("ZELTest", "Also"));
  EXPECT_EQ(CATUnicodeString("default"), Build("ZELTest", "Broken", {}, "default"));
  EXPECT_EQ(CATUnicodeString("default"), Build("ZELTest", "After", {}, "default"));
  EXPECT_EQ(CATUnicodeString("kept"), Build("ZELOpen", "Good"));
  EXPECT_EQ(0, CATMsgCatalog::HasKey("ZELOpen", "Open"));
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, errors.find(file + ":4:")) << errors;
  EXPECT_NE(std::string::npos, errors.find("ZELOpen.CATNls:2:")) << errors;
  EXPECT_EQ(errors.find(file), errors.rfind(file)) << "reported more than once: " << errors;
}

TEST_F(Catalogs, FirstDirectoryWinsAndFilesAreReadOnce) {
  WriteFile(first / "ZELTest.CATNls", "Key = \"first\";\n");
  WriteFile(second / "ZELTest.CATNls", "Key = \"second\"; Other = \"only in second\";\n");
  WriteFile(second / "ZELSecond.CATNls", "Key = \"from second\";\n");
  EXPECT_EQ(CATUnicodeString("first"), Build("ZELTest", "Key"));
  EXPECT_EQ(CATUnicodeString("-"), Build("ZELTest", "Other", {}, "-"));
  EXPECT_EQ(CATUnicodeString("from second"), Build("ZELSecond", "Key"));

  WriteFile(first / "ZELTest.CATNls", "Key = \"rewritten\";\n");
  EXPECT_EQ(CATUnicodeString("first"), Build("ZELTest", "Key"));
  CATMsgCatalog::Reset();
  EXPECT_EQ(CATUnicodeString("rewritten"), Build("ZELTest", "Key"));
}

TEST_F(Catalogs, RuntimeTreeIsTheLastDirectory) {
  const fs::path runtime = zeltest::RuntimeRoot() / "resources/msgcatalog/ZELTestRuntimeTree.CATNls";
  WriteFile(runtime, "Key = \"from the runtime tree\";\n");
  EXPECT_EQ(CATUnicodeString("from the runtime tree"), Build("ZELTestRuntimeTree", "Key"));
  CATMsgCatalog::Reset();
  WriteFile(second / "ZELTestRuntimeTree.CATNls", "Key = \"from the path\";\n");
  EXPECT_EQ(CATUnicodeString("from the path"), Build("ZELTestRuntimeTree", "Key"));
  fs::remove(runtime);
}

TEST_F(Catalogs, ResourcesUseTheirOwnFiles) {
  WriteFile(first / "ZELTest.CATRsc", "Icon.Name = \"I_/P1_/P2\";\n");
  WriteFile(first / "ZELTest.CATNls", "Only.Message = \"message\";\n");
  CATString params[] = {"Big", "Red"};
  EXPECT_EQ(CATString("I_Big_Red"), CATRscCatalog::BuildResource("ZELTest", "Icon.Name", params, 2));
  EXPECT_EQ(CATString("I_/P1_/P2"), CATRscCatalog::BuildResource("ZELTest", "Icon.Name"));
  EXPECT_EQ(CATString(""), CATRscCatalog::BuildResource("ZELTest", "Only.Message"));
  EXPECT_EQ(CATString("d-Big"), CATRscCatalog::BuildResource("ZELNone", "K", params, 1, "d-/P1"));
}

class Settings : public testing::Test {
 protected:
  void SetUp() override { CATSysSettingRepository::ResetAll(); }
  void TearDown() override { CATSysSettingRepository::ResetAll(); }
  CATSysSettingRepository* Get(const char* name = "ZELTestRepo") {
    return CATSysSettingRepository::GetRepository(name);
  }
  std::string FileOf(const char* name = "ZELTestRepo") {
    return dir.Path().string() + "/" + name + ".CATSettings";
  }
  TempDir dir;
  ScopedEnv path{"CATUserSettingPath", dir.Path().string().c_str()};
};

namespace {
CATUnicodeString FromUTF16(std::u16string text) {
  CATUnicodeString value;
  value.BuildFromUCChar(text.data(), text.size());
  return value;
}

const std::vector<std::pair<std::string, CATUnicodeString>>& TrickyStrings() {
  static const std::vector<std::pair<std::string, CATUnicodeString>> values = {
      {"empty", ""},
      {"a=b", "x = y\tz"},
      {"new\nline name", "line1\nline2\r\nline3\n"},
      {"back\\slash", "C:\\temp\\u0041\\n"},
      {"ünïcødé", "Grüße 日本 😀"},
      {"controls", FromUTF16(u"\x01\x7f end")},
      {"lone surrogates", FromUTF16(u"a\xD800 b\xDC00")},
      {"  spaced  ", "  padded  "},
  };
  return values;
}
}  // namespace

TEST_F(Settings, TrickyStringsAndArraysSurviveARestart) {
  CATSysSettingRepository* repo = Get();
  ASSERT_NE(nullptr, repo);
  for (const auto& [name, value] : TrickyStrings()) ASSERT_EQ(S_OK, repo->WriteAttr(name.c_str(), value));
  CATListValCATUnicodeString items, emptyItems, oneEmpty;
  for (const auto& entry : TrickyStrings()) items.Append(entry.second);
  oneEmpty.Append("");
  ASSERT_EQ(S_OK, repo->WriteArray("items", items));
  ASSERT_EQ(S_OK, repo->WriteArray("no items", emptyItems));
  ASSERT_EQ(S_OK, repo->WriteArray("one empty item", oneEmpty));
  ASSERT_EQ(S_OK, repo->SaveRepository());
  repo->Release();

  CATSysSettingRepository::ResetAll();
  repo = Get();
  for (const auto& [name, value] : TrickyStrings()) {
    CATUnicodeString read = "unchanged";
    EXPECT_EQ(S_OK, repo->ReadAttr(name.c_str(), read)) << name;
    EXPECT_EQ(value.GetUTF16(), read.GetUTF16()) << name;
  }
  CATListValCATUnicodeString read;
  EXPECT_EQ(S_OK, repo->ReadArray("items", read));
  EXPECT_TRUE(read == items);
  EXPECT_EQ(S_OK, repo->ReadArray("no items", read));
  EXPECT_EQ(0, read.Size());
  EXPECT_EQ(S_OK, repo->ReadArray("one empty item", read));
  EXPECT_TRUE(read == oneEmpty);

  CATUnicodeString text;
  EXPECT_EQ(E_FAIL, repo->ReadAttr("items", text));
  EXPECT_EQ(E_FAIL, repo->ReadArray("empty", read));
  EXPECT_EQ(E_FAIL, repo->ReadAttr("absent", text));
  EXPECT_EQ(E_FAIL, repo->WriteAttr("", text));
  repo->Release();
}

TEST_F(Settings, OneObjectPerNameWithUnsavedChangesInMemory) {
  CATSysSettingRepository* a = Get();
  CATSysSettingRepository* b = Get();
  EXPECT_EQ(a, b);
  a->WriteAttr("Key", "saved");
  a->SaveRepository();
  b->WriteAttr("Key", "unsaved");
  CATUnicodeString value;
  a->ReadAttr("Key", value);
  EXPECT_EQ(CATUnicodeString("unsaved"), value);
  EXPECT_EQ(S_OK, a->ReloadRepository());
  a->ReadAttr("Key", value);
  EXPECT_EQ(CATUnicodeString("saved"), value);
  EXPECT_EQ(S_OK, a->RemoveAttribute("Key"));
  EXPECT_EQ(E_FAIL, a->RemoveAttribute("Key"));
  EXPECT_EQ(1, CATSettingRepository::ExistsRepository("ZELTestRepo"));
  EXPECT_EQ(0, CATSettingRepository::ExistsRepository("ZELNeverCreated"));
  a->Release();
  b->Release();
}

TEST_F(Settings, SaveReplacesTheFileAtomicallyInAPrivateDirectory) {
  ScopedEnv nested("CATUserSettingPath", (dir.Path().string() + "/a/b").c_str());
  CATSysSettingRepository::ResetAll();
  CATSysSettingRepository* repo = Get();
  for (int i = 0; i < 3; ++i) {
    repo->WriteAttr("Round", std::to_string(i).c_str());
    ASSERT_EQ(S_OK, repo->SaveRepository());
  }
  repo->Release();
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(dir / "a/b")) files.push_back(entry.path().filename());
  EXPECT_EQ(std::vector<std::string>{"ZELTestRepo.CATSettings"}, files);
  struct stat info {};
  ASSERT_EQ(0, stat((dir.Path().string() + "/a").c_str(), &info));
  EXPECT_EQ(0700u, info.st_mode & 0777);
  ASSERT_EQ(0, stat((dir.Path().string() + "/a/b/ZELTestRepo.CATSettings").c_str(), &info));
  EXPECT_EQ(0600u, info.st_mode & 0777);
}

TEST_F(Settings, SaveFailureIsReportedNotFatal) {
  WriteFile(dir / "plainfile", "x");
  ScopedEnv blocked("CATUserSettingPath", (dir.Path().string() + "/plainfile/sub").c_str());
  CATSysSettingRepository::ResetAll();
  CATSysSettingRepository* repo = Get();
  repo->WriteAttr("Key", "value");
  testing::internal::CaptureStderr();
  EXPECT_EQ(E_FAIL, repo->SaveRepository());
  EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("plainfile"));
  repo->Release();
}

TEST_F(Settings, EveryTruncationKeepsExactValuesOfWholeLines) {
  CATSysSettingRepository* repo = Get();
  for (const auto& [name, value] : TrickyStrings()) repo->WriteAttr(name.c_str(), value);
  repo->SaveRepository();
  repo->Release();
  const std::string whole = ReadFile(FileOf());

  for (size_t cut = 0; cut < whole.size(); ++cut) {
    WriteFile(dir / "ZELTestRepo.CATSettings", whole.substr(0, cut));
    CATSysSettingRepository::ResetAll();
    testing::internal::CaptureStderr();
    repo = Get();
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, errors.find(FileOf())) << "truncation at " << cut << " not reported";
    for (const auto& [name, value] : TrickyStrings()) {
      CATUnicodeString read;
      if (repo->ReadAttr(name.c_str(), read) == S_OK) {
        EXPECT_EQ(value.GetUTF16(), read.GetUTF16()) << cut;
      }
    }
    repo->Release();
  }
}

TEST_F(Settings, DamagedLinesAreSkippedAndTheFileIsKeptAside) {
  const std::string damaged =
      "CATSettings 1\n"
      "s\tBefore\tkept\n"
      "s\tBad\\escape\\q\tx\n"
      "a\tArray\t3\tonly one\n"
      "garbage line\n"
      "a\tList\t2\tx\t\n"
      "s\tAfter\tkept too\n";
  WriteFile(dir / "ZELTestRepo.CATSettings", damaged);
  testing::internal::CaptureStderr();
  CATSysSettingRepository* repo = Get();
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, errors.find(FileOf() + ":3:")) << errors;
  CATUnicodeString value;
  CATListValCATUnicodeString list;
  EXPECT_EQ(S_OK, repo->ReadAttr("Before", value));
  EXPECT_EQ(S_OK, repo->ReadAttr("After", value));
  EXPECT_EQ(CATUnicodeString("kept too"), value);
  EXPECT_EQ(S_OK, repo->ReadArray("List", list));
  EXPECT_EQ(2, list.Size());
  EXPECT_EQ(E_FAIL, repo->ReadArray("Array", list));

  ASSERT_EQ(S_OK, repo->SaveRepository());
  EXPECT_EQ(damaged, ReadFile(FileOf() + ".damaged"));
  repo->Release();
  CATSysSettingRepository::ResetAll();
  testing::internal::CaptureStderr();
  repo = Get();
  EXPECT_EQ("", testing::internal::GetCapturedStderr());
  EXPECT_EQ(S_OK, repo->ReadAttr("After", value));
  repo->Release();
}

TEST_F(Settings, UnsafeNamesAreRefused) {
  for (const char* name : {"", "a/b", "..", "x..y", "line\nbreak"}) {
    EXPECT_EQ(nullptr, CATSysSettingRepository::GetRepository(name)) << name;
    EXPECT_EQ(0, CATSettingRepository::ExistsRepository(name)) << name;
  }
  EXPECT_EQ(nullptr, CATSysSettingRepository::GetRepository(nullptr));
}

TEST_F(Settings, SettingPathIsolatesUsersAndConcurrentWritersLoseNothing) {
  TempDir other;
  CATSysSettingRepository* repo = Get();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([repo, t] {
      for (int i = 0; i < 20; ++i) {
        repo->WriteAttr(("T" + std::to_string(t) + "_" + std::to_string(i)).c_str(), "v");
        repo->SaveRepository();
      }
    });
  for (auto& thread : threads) thread.join();
  repo->Release();
  {
    ScopedEnv otherUser("CATUserSettingPath", other.Path().string().c_str());
    CATSysSettingRepository::ResetAll();
    repo = Get();
    CATUnicodeString value;
    EXPECT_EQ(E_FAIL, repo->ReadAttr("T0_0", value));
    repo->Release();
  }
  CATSysSettingRepository::ResetAll();
  repo = Get();
  CATUnicodeString value;
  for (int t = 0; t < 4; ++t)
    for (int i = 0; i < 20; ++i)
      EXPECT_EQ(S_OK, repo->ReadAttr(("T" + std::to_string(t) + "_" + std::to_string(i)).c_str(), value));
  repo->Release();
}
