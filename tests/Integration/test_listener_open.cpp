// The whole open path from a web client: the listener, the platform launcher, the sender, the bus, the
// session's receiver and the client program, all real programs of the runtime tree, reached by a real
// WebSocket client and by the web page in headless Chromium.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

#include "OpenPathSupport.h"
#include "ZELTestSupport.h"

namespace fs = std::filesystem;
using namespace zeltest;
using openpath::BusDirectory;
using openpath::Hex;
using openpath::Session;

namespace {

const char kSuccess[] = "Successfully executed OPEN3DX command.";

// The listener in console mode on a free port; the build tree is its installation, so its launcher is the
// runtime tree's CATSTART, which gets the test's bus directory from the environment file.
class Listener {
 public:
  Listener(const fs::path& dir, const fs::path& bus) : port_(FreePort()) {
    fs::path env = dir / "platform.env";
    WriteFile(env, "# the user's session bus\nCATBackboneDirectory=" + bus.string() + "\n");
    fs::path config = dir / "listener.cfg";
    WriteFile(config, "LOG_LEVEL = INFO\nPORT = " + std::to_string(port_) + "\n3DEXPERIENCE_DIR = " +
                          std::string(ZEL_BINARY_DIR) + "\n3DEXPERIENCE_ENV_FILE = " + env.string() + "\n");
    ScopedEnv configEnv("ZEL_LISTENER_CONFIG_FILE", config.c_str());
    // The bus directory reaches the sender only through the environment file.
    ScopedEnv noBus("CATBackboneDirectory", nullptr);
    process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{RuntimeProgram("ZELListenerService").string()});
    const std::string listening = "Opened socket for listen on port [" + std::to_string(port_) + "]";
    while (auto line = process_->ReadLine(std::chrono::seconds(30))) {
      log_ += *line + "\n";
      if (line->find(listening) != std::string::npos) {
        ready_ = true;
        break;
      }
    }
  }
  ~Listener() {
    process_->Signal(SIGTERM);
    process_->Wait(std::chrono::seconds(20));
  }
  bool Ready() const { return ready_; }
  int Port() const { return port_; }
  const std::string& Log() const { return log_; }

  // The one answer a WebSocket client gets for the message, or why none came.
  std::string Ask(const std::string& message) {
    ProgramResult client =
        RunProgram({"/usr/bin/python3", ZEL_SOURCE_DIR "/tests/ZELListenerService/clients/ws_client.py",
                    "--port", std::to_string(port_), "--hex", Hex(message)},
                   {}, std::chrono::seconds(180));
    const std::string marker = "RESPONSE \"";
    size_t at = client.out.find(marker);
    if (at == std::string::npos) return "no answer: " + client.out + client.err;
    size_t end = client.out.find("\"\n", at);
    return client.out.substr(at + marker.size(), end - at - marker.size());
  }

 private:
  int port_;
  std::unique_ptr<ChildProcess> process_;
  std::string log_;
  bool ready_ = false;
};

class ListenerOpen : public ::testing::Test {
 protected:
  ListenerOpen() : database_(SeededPlmDatabase(dir_.Path())) {}
  TempDir dir_;
  BusDirectory bus_;
  fs::path database_;
};

TEST_F(ListenerOpen, AWebSocketClientHasTheSessionOpenTheObject) {
  Listener listener(dir_.Path(), bus_.Path());
  ASSERT_TRUE(listener.Ready()) << listener.Log();
  {
    // No session yet: the sender finds no receiver and the client hears the launcher's code.
    EXPECT_EQ("Failed to execute OPEN3DX command with return code: 3",
              listener.Ask("ZEL:@:OPEN3DX:@:VPMReference@@prd-00012340@@A.1"));
  }
  ScopedEnv busEnv("CATBackboneDirectory", bus_.Path().c_str());
  Session session(dir_.Path(), "session", database_);
  ASSERT_TRUE(session.Ready());
  EXPECT_EQ(kSuccess, listener.Ask("ZEL:@:OPEN3DX:@:VPMReference@@prd-00012340@@A.1"));
  // Blanks and a control character inside a field travel as bytes; nothing matches, and the request still
  // went through.
  EXPECT_EQ(kSuccess, listener.Ask("ZEL:@:OPEN3DX:@:PRDPart@@prd 0001\t2343@@A"));
  EXPECT_EQ("Unknown command received: zel:@:open3dx:@:VPMReference@@prd-00012340@@A",
            listener.Ask("zel:@:open3dx:@:VPMReference@@prd-00012340@@A"));
  std::string transcript = session.Finish();
  EXPECT_NE(std::string::npos, transcript.find("* 1 3D \"City Bicycle\"")) << transcript;
  EXPECT_NE(std::string::npos, transcript.find("served 2 messages")) << transcript;
}

TEST_F(ListenerOpen, TheWebPageInChromiumOpensTheObject) {
  Listener listener(dir_.Path(), bus_.Path());
  ASSERT_TRUE(listener.Ready()) << listener.Log();
  ScopedEnv busEnv("CATBackboneDirectory", bus_.Path().c_str());
  Session session(dir_.Path(), "session", database_);
  ASSERT_TRUE(session.Ready());
  const std::string page =
      "file://" ZEL_SOURCE_DIR "/web/index.html?listener=ws://127.0.0.1:" + std::to_string(listener.Port()) +
      "/&type=PRDPart&id=prd-00012343&revision=A.3";
  ProgramResult browser = RunProgram({"node", ZEL_SOURCE_DIR "/tests/browser/open_page.mjs", page}, {},
                                     std::chrono::seconds(180));
  EXPECT_EQ(0, browser.exitCode) << browser.out << browser.err;
  EXPECT_EQ(std::string(kSuccess) + "\n", browser.out) << browser.err;
  std::string transcript = session.Finish();
  EXPECT_NE(std::string::npos, transcript.find("* 1 3D \"Rim 622x19\"")) << transcript;
}

}  // namespace
