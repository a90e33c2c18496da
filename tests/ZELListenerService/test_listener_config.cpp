// The configuration reader: line rules, values, environment overrides, completeness and the bounds on the
// file it reads.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <string>

#include "ListenerConfig.h"
#include "ListenerTestLog.h"
#include "ZELTestSupport.h"

namespace {

constexpr const char* kLauncher = "/opt/3dx/linux_a64/code/bin/CATSTART";

// Every variable the reader looks at, unset for the test's duration.
class ListenerConfigTest : public ::testing::Test {
 protected:
  ListenerConfig Read(const std::string& text) {
    ListenerConfig config;
    config.ApplyDefaults(log);
    EXPECT_TRUE(config.ReadText(text, log));
    return config;
  }
  std::string Output() { return console.Text(); }

  zeltest::ScopedEnv temp{"TEMP", nullptr};
  zeltest::ScopedEnv level{"ZEL_LISTENER_LOG_LEVEL", nullptr};
  zeltest::ScopedEnv dir{"ZEL_LISTENER_LOG_DIR", nullptr};
  zeltest::ScopedEnv install{"ZEL_LISTENER_3DEXPERIENCE_DIR", nullptr};
  zeltest::ScopedEnv envFile{"ZEL_LISTENER_3DEXPERIENCE_ENV_FILE", nullptr};
  zeltest::ScopedEnv configFile{"ZEL_LISTENER_CONFIG_FILE", nullptr};
  CapturedConsole console;
  ListenerLog log{console.File()};
};

TEST_F(ListenerConfigTest, BlanksAroundKeySeparatorAndValueAreTrimmed) {
  ListenerConfig config = Read("  PORT \t=   8080  \r\n\t LOG_DIR=  /var/log/zel \n");
  EXPECT_EQ(config.port, 8080);
  EXPECT_EQ(config.logDir, "/var/log/zel");
  EXPECT_NE(Output().find("] Config file variable loaded [PORT] with value [8080]\n"), std::string::npos);
  EXPECT_NE(
      Output().find("[ListenerConfig] Config file variable loaded [LOG_DIR] with value [/var/log/zel]\n"),
      std::string::npos);
}

TEST_F(ListenerConfigTest, PortTextsThatAreNotANumberGiveTheDefault) {
  EXPECT_EQ(Read("PORT = 80x").port, 9191);
  EXPECT_NE(Output().find("[Util] Unknown condition when parsing [80x] to number, returning default [9191]"),
            std::string::npos);
  EXPECT_NE(Output().find("Config file variable loaded [PORT] with value [9191]"), std::string::npos);

  EXPECT_EQ(Read("PORT = abc").port, 9191);
  EXPECT_NE(Output().find("Cannot parse number from empty string, using default: [9191]"), std::string::npos);

  // Beyond 32 bits, and beyond what the C library reads at all.
  EXPECT_EQ(Read("PORT = 2147483648").port, 9191);
  EXPECT_EQ(Read("PORT = -99999999999999999999999").port, 9191);
  EXPECT_NE(Output().find("Failed to parse string to number, using default [9191], range error [34]: ["),
            std::string::npos);

  EXPECT_EQ(ListenerConfig::ParsePort(" +42", log), 42);
  EXPECT_EQ(ListenerConfig::ParsePort("2147483647", log), 2147483647);
}

TEST_F(ListenerConfigTest, OnlyAHashInTheFirstColumnMakesAComment) {
  ListenerConfig config = Read("#PORT = 1\n  # PORT = 2\n");
  EXPECT_EQ(config.port, 9191);
  EXPECT_EQ(Output().find("[#PORT]"), std::string::npos);
  EXPECT_NE(Output().find("Ignoring unknown config file variable [# PORT] with value [2]"),
            std::string::npos);
}

TEST_F(ListenerConfigTest, InstallationDirectoryWithOrWithoutSlashGivesTheSameLauncher) {
  EXPECT_EQ(Read("3DEXPERIENCE_DIR = /opt/3dx").launcherPath, kLauncher);
  EXPECT_EQ(Read("3DEXPERIENCE_DIR = /opt/3dx/").launcherPath, kLauncher);
  EXPECT_NE(Output().find("Config file variable loaded [3DEXPERIENCE_DIR] with value [/opt/3dx/]"),
            std::string::npos);
  EXPECT_NE(Output().find(std::string("Created CATSTART_PATH: [") + kLauncher + "]"), std::string::npos);
}

TEST_F(ListenerConfigTest, LogLevelIsMatchedExactly) {
  EXPECT_EQ(Read("LOG_LEVEL = DEBUG").logLevel, kListenerLogDebug);
  EXPECT_EQ(Read("LOG_LEVEL = ERROR").logLevel, kListenerLogError);
  EXPECT_EQ(Read("LOG_LEVEL = ERROR\nLOG_LEVEL = debug").logLevel, kListenerLogInfo);
  EXPECT_NE(
      Output().find("Unknown log level [debug] defined in environment variable [ZEL_LISTENER_LOG_LEVEL], "
                    "using default [INFO]"),
      std::string::npos);
}

TEST_F(ListenerConfigTest, SeparatorsKeysAndRepeatedLines) {
  // A value keeps only what stands before a further "="; runs of "=" are one separator.
  EXPECT_EQ(Read("3DEXPERIENCE_ENV_FILE = a.txt=b.txt").envFile, "a.txt");
  ListenerConfig config = Read("==LOG_DIR===/logs==x\nport = 1\nPORT = 2\nPORT = 3\n");
  EXPECT_EQ(config.logDir, "/logs");
  EXPECT_EQ(config.port, 3);
  EXPECT_NE(Output().find("Ignoring unknown config file variable [port] with value [1]"), std::string::npos);
}

TEST_F(ListenerConfigTest, KeyWithoutValueChangesNothing) {
  ListenerConfig config = Read(
      "3DEXPERIENCE_DIR = /opt/3dx\n3DEXPERIENCE_DIR\n3DEXPERIENCE_DIR =\n"
      "3DEXPERIENCE_DIR = = /elsewhere\nPORT=\n");
  EXPECT_EQ(config.launcherPath, kLauncher);
  EXPECT_EQ(config.port, 9191);
  EXPECT_NE(Output().find("Ignoring unknown config file variable [3DEXPERIENCE_DIR] with value []"),
            std::string::npos);
  EXPECT_NE(Output().find("Ignoring unknown config file variable [PORT] with value []"), std::string::npos);
}

TEST_F(ListenerConfigTest, OverlongLinesAreRefusedWholeAndNulEndsALine) {
  // The tail of a long comment must not become a key of its own.
  std::string comment = "#" + std::string(1030, 'c') + "PORT=1\n";
  std::string longest = "LOG_DIR=" + std::string(ListenerConfig::kMaxLineBytes - 8, 'd');
  ListenerConfig config = Read(comment + longest + "\n" +
                               std::string("PORT=80\0"
                                           "81\n",
                                           11));
  EXPECT_EQ(config.port, 80);
  EXPECT_EQ(config.logDir, std::string(ListenerConfig::kMaxLineBytes - 8, 'd'));
  EXPECT_NE(Output().find("Ignoring config file line 1 longer than 1023 bytes"), std::string::npos);

  config = Read("LOG_DIR=" + std::string(ListenerConfig::kMaxLineBytes - 7, 'e'));
  EXPECT_TRUE(config.logDir.empty());
}

TEST_F(ListenerConfigTest, EnvironmentOverridesTheFileButNotThePort) {
  zeltest::TempDir tmp("listener-config");
  ASSERT_TRUE(zeltest::WriteFile(tmp / "zel.cfg",
                                 "LOG_LEVEL = ERROR\nLOG_DIR = /file/logs\nPORT = 7000\n"
                                 "3DEXPERIENCE_DIR = /file/3dx\n3DEXPERIENCE_ENV_FILE = /file/env.txt\n"));
  zeltest::ScopedEnv levelValue("ZEL_LISTENER_LOG_LEVEL", "DEBUG");
  zeltest::ScopedEnv dirValue("ZEL_LISTENER_LOG_DIR", "/env/logs");
  zeltest::ScopedEnv installValue("ZEL_LISTENER_3DEXPERIENCE_DIR", "/opt/3dx/");
  zeltest::ScopedEnv envFileValue("ZEL_LISTENER_3DEXPERIENCE_ENV_FILE", "/env/env.txt");
  zeltest::ScopedEnv portValue("ZEL_LISTENER_PORT", "6000");
  zeltest::ScopedEnv fileValue("ZEL_LISTENER_CONFIG_FILE", (tmp / "zel.cfg").c_str());

  ListenerConfig config;
  ASSERT_TRUE(config.Load(log));
  EXPECT_EQ(config.logLevel, kListenerLogDebug);
  EXPECT_EQ(config.logDir, "/env/logs");
  EXPECT_EQ(config.port, 7000);
  EXPECT_EQ(config.launcherPath, kLauncher);
  EXPECT_EQ(config.envFile, "/env/env.txt");
  std::string out = Output();
  std::size_t first = out.find("Environment variable loaded [ZEL_LISTENER_LOG_LEVEL] with value [DEBUG]");
  std::size_t last = out.find(
      "Environment variable loaded [ZEL_LISTENER_3DEXPERIENCE_ENV_FILE] with value "
      "[/env/env.txt]");
  ASSERT_NE(first, std::string::npos);
  ASSERT_NE(last, std::string::npos);
  EXPECT_LT(out.find("Config file variable loaded [3DEXPERIENCE_ENV_FILE]"), first);
  EXPECT_LT(first, last);
  EXPECT_EQ(out.find("ZEL_LISTENER_PORT"), std::string::npos);
}

TEST_F(ListenerConfigTest, CompletenessNeedsLauncherAndEnvironmentFile) {
  zeltest::TempDir tmp("listener-config");
  ASSERT_TRUE(zeltest::WriteFile(tmp / "zel.cfg", "3DEXPERIENCE_ENV_FILE = /file/env.txt\n"));
  ListenerConfig config;
  EXPECT_FALSE(config.Load((tmp / "zel.cfg").string(), log));
  EXPECT_NE(
      Output().find("Failed to load either 3DEXPERIENCE_DIR or 3DEXPERIENCE_ENV_FILE, check config file"),
      std::string::npos);

  {
    // An empty variable is no override: it would put the launcher below "/".
    zeltest::ScopedEnv empty("ZEL_LISTENER_3DEXPERIENCE_DIR", "");
    EXPECT_FALSE(config.Load((tmp / "zel.cfg").string(), log));
  }
  zeltest::ScopedEnv installValue("ZEL_LISTENER_3DEXPERIENCE_DIR", "/opt/3dx");
  EXPECT_TRUE(config.Load((tmp / "zel.cfg").string(), log));
  EXPECT_EQ(config.launcherPath, kLauncher);
}

TEST_F(ListenerConfigTest, DefaultLogDirectoryComesFromTemp) {
  ListenerConfig config;
  config.ApplyDefaults(log);
  EXPECT_TRUE(config.logDir.empty());
  zeltest::ScopedEnv tempValue("TEMP", "/tmp/zel-logs");
  config.ApplyDefaults(log);
  EXPECT_EQ(config.logDir, "/tmp/zel-logs");
  EXPECT_EQ(config.logLevel, kListenerLogInfo);
  EXPECT_NE(Output().find("Initialized logging directory to: /tmp/zel-logs"), std::string::npos);
}

TEST_F(ListenerConfigTest, FilesThatAreMissingHugeOrNotRegularAreRefused) {
  zeltest::TempDir tmp("listener-config");
  ListenerConfig config;
  EXPECT_FALSE(config.ReadFile((tmp / "missing.cfg").string(), log));
  EXPECT_NE(Output().find("Failed to open config file ["), std::string::npos);

  std::string huge = "3DEXPERIENCE_DIR = /opt/3dx\n3DEXPERIENCE_ENV_FILE = /e\n";
  huge += std::string(ListenerConfig::kMaxFileBytes - huge.size(), '\n');
  ASSERT_TRUE(zeltest::WriteFile(tmp / "limit.cfg", huge));
  EXPECT_TRUE(config.Load((tmp / "limit.cfg").string(), log));
  ASSERT_TRUE(zeltest::WriteFile(tmp / "huge.cfg", huge + "\n"));
  EXPECT_FALSE(config.Load((tmp / "huge.cfg").string(), log));
  EXPECT_NE(Output().find("is larger than 65536 bytes"), std::string::npos);
  EXPECT_NE(Output().find("Failed to read config file"), std::string::npos);

  EXPECT_FALSE(config.ReadFile(tmp.Path().string(), log));
  // A FIFO would block a plain open until a writer comes.
  ASSERT_EQ(mkfifo((tmp / "fifo.cfg").c_str(), 0600), 0);
  auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(config.ReadFile((tmp / "fifo.cfg").string(), log));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  EXPECT_NE(Output().find("is not a regular file"), std::string::npos);
}

}  // namespace
