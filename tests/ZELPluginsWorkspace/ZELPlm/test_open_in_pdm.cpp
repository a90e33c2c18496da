// The get-last-version and open-in-PDM commands where a script cannot reach: what an address may carry of a
// server's value, and that an interruption does not ask the PDM for a second delivery. Both commands as a
// user meets them are the lastversion_* and openinpdm_* scripts.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <memory>

#include "CATApplication.h"
#include "CATDlgNotify.h"
#include "GetLastVersionCmd.h"
#include "ZELOpenInPdmCmd.h"
#include "ZELTestSupport.h"

TEST(OpenInPdmAddress, OnlyCharactersThatChangeTheAddressAreEncoded) {
  // Ordinary identifiers, including the characters of paths and of the reply's usual ids, stay as they are.
  for (const char* plain : {"R734c4c4ced903ef2", "prd-00012343", "A.1", "Part:Item/x_y~z", "a=b;c,d+e@f"})
    EXPECT_EQ(plain, ZELOpenInPdmCmd::EncodeForAddress(plain));
  EXPECT_EQ("RIM%20622%23A%20%22geometry%22", ZELOpenInPdmCmd::EncodeForAddress("RIM 622#A \"geometry\""));
  EXPECT_EQ("a%26b%3Fc%25d", ZELOpenInPdmCmd::EncodeForAddress("a&b?c%d"));
  // Already encoded text is encoded again, so the server's "%20" arrives as those three characters.
  EXPECT_EQ("x%2520y", ZELOpenInPdmCmd::EncodeForAddress("x%20y"));
  EXPECT_EQ("%0D%0A%09%00%7F", ZELOpenInPdmCmd::EncodeForAddress(CATUnicodeString("\r\n\t\0\x7f", 5)));
  // Other characters travel as their UTF-8 bytes, unchanged.
  EXPECT_EQ("M\xC3\xBCller-\xE2\x82\xAC", ZELOpenInPdmCmd::EncodeForAddress("M\xC3\xBCller-\xE2\x82\xAC"));
}

TEST(OpenInPdmSessionFile, ItsDirectoryIsTheUsersAndNobodyElseMayWriteIt) {
  namespace fs = std::filesystem;
  zeltest::TempDir dir("zel-session-dir");
  int error = 0;
  const fs::path fresh = dir / "ZEL";
  ASSERT_TRUE(ZELOpenInPdmCmd::PrepareSessionDirectory(fresh.string(), error));
  struct stat info {};
  ASSERT_EQ(0, stat(fresh.c_str(), &info));
  EXPECT_EQ(0700u, info.st_mode & 0777u);
  EXPECT_TRUE(ZELOpenInPdmCmd::PrepareSessionDirectory(fresh.string(), error));
  // Another user could swap the file in a directory open to writing, or behind a link.
  fs::permissions(fresh, fs::perms::all);
  EXPECT_FALSE(ZELOpenInPdmCmd::PrepareSessionDirectory(fresh.string(), error));
  EXPECT_EQ(EACCES, error);
  fs::create_directory_symlink(dir.Path(), dir / "link");
  EXPECT_FALSE(ZELOpenInPdmCmd::PrepareSessionDirectory((dir / "link").string(), error));
  error = 0;
  EXPECT_FALSE(ZELOpenInPdmCmd::PrepareSessionDirectory((dir / "missing" / "ZEL").string(), error));
  EXPECT_EQ(ENOENT, error);
}

TEST(GetLastVersion, AnInterruptionDoesNotRequestASecondDelivery) {
  CATApplication app("Client", {"3DEXPERIENCE"});
  CATDlgNotify::ClearJournal();
  auto* command = new GetLastVersionCmd();
  const std::weak_ptr<const int> alive = command->LifeToken();
  // Deactivation used to run the whole command again; it must neither ask nor show anything, nor end it.
  EXPECT_EQ(0, command->Desactivate(nullptr, nullptr));
  app.ProcessDelayedDestructions();
  EXPECT_TRUE(CATDlgNotify::GetJournal().empty());
  ASSERT_FALSE(alive.expired());
  // Activation in a session without selection does run: it says what is missing and ends.
  EXPECT_EQ(0, command->Activate(nullptr, nullptr));
  ASSERT_EQ(1u, CATDlgNotify::GetJournal().size());
  EXPECT_EQ(CATString("ZELError"), CATDlgNotify::GetJournal()[0].name);
  EXPECT_EQ(0x8100000UL, CATDlgNotify::GetJournal()[0].style);
  app.ProcessDelayedDestructions();
  EXPECT_TRUE(alive.expired());
}
