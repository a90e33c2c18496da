// Commands and their destruction, the application's time-outs and event loop, notification boxes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CATApplication.h"
#include "CATDlgNotify.h"

namespace {

std::vector<std::string> g_events;

// Records its destruction, so double or missing destructions show.
class TracedCommand : public CATCommand {
 public:
  TracedCommand(CATCommand* parent, const char* name) : CATCommand(parent, name) {}
  ~TracedCommand() override { g_events.push_back(std::string("destroyed ") + GetName().CastToCharPtr()); }
};

void Record(CATCommand* client, int, void* data) {
  g_events.push_back(std::string(static_cast<const char*>(data)) +
                     (client ? " " + client->GetName().str() : ""));
}

class Dialog : public testing::Test {
 protected:
  void SetUp() override {
    g_events.clear();
    CATDlgNotify::ClearJournal();
    CATDlgNotify::ClearAnswers();
  }
};

}  // namespace

TEST_F(Dialog, NotifyBoxesAreJournalledAndAnsweredFromTheQueue) {
  CATApplication app("ZELTestApp");
  auto* box = new CATDlgNotify(&app, "ZELWarning", CATDlgNfyWarning | CATDlgNfyYesNo);
  CATDlgNotify::QueueAnswer(CATDlgNfyAnswerNo);
  CATDlgNotify::QueueAnswer(CATDlgNfyAnswerCancel);
  EXPECT_EQ(CATDlgNfyAnswerNo, box->DisplayBlocked("Text 1", "Title 1"));
  EXPECT_EQ(CATDlgNfyAnswerCancel, box->DisplayBlocked("Text 2", "Title 2"));
  EXPECT_EQ(1, box->DisplayBlocked("Text 3", "Title 3"));
  box->Display("Shown", "Not waiting");
  box->Release();
  EXPECT_TRUE(app.GetChildren().empty());

  const auto& journal = CATDlgNotify::GetJournal();
  ASSERT_EQ(4u, journal.size());
  EXPECT_EQ(CATString("ZELWarning"), journal[0].name);
  EXPECT_EQ(CATDlgNfyWarning | CATDlgNfyYesNo, journal[0].style);
  EXPECT_EQ(CATUnicodeString("Title 2"), journal[1].title);
  EXPECT_EQ(CATUnicodeString("Text 3"), journal[2].text);
  std::vector<int> answers;
  for (const auto& record : journal) answers.push_back(record.answer);
  EXPECT_EQ((std::vector<int>{CATDlgNfyAnswerNo, CATDlgNfyAnswerCancel, 1, 0}), answers);
}

TEST_F(Dialog, SingleMainApplication) {
  EXPECT_EQ(nullptr, CATApplication::MainApplication());
  {
    CATApplication app("ZELTestApp", {"cnext", "-x"});
    EXPECT_EQ(&app, CATApplication::MainApplication());
    EXPECT_EQ((std::vector<std::string>{"cnext", "-x"}), app.GetArgs());
    testing::internal::CaptureStderr();
    {
      CATApplication second("ZELSecondApp");
      EXPECT_EQ(&app, CATApplication::MainApplication());
    }
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(&app, CATApplication::MainApplication());
  }
  EXPECT_EQ(nullptr, CATApplication::MainApplication());
}

TEST_F(Dialog, TimeOutsFireInDueOrderOnVirtualTime) {
  CATApplication app("ZELTestApp");
  CATCommand client(nullptr, "client");
  app.AddTimeOut(300, &client, (void*)"late", Record);
  app.AddTimeOut(100, &client, (void*)"early", Record);
  app.AddTimeOut(100, nullptr, (void*)"early second", Record);
  EXPECT_EQ(3, app.PendingTimeOuts());
  while (app.FireNextTimeOut()) {
  }
  EXPECT_EQ((std::vector<std::string>{"early client", "early second", "late client"}), g_events);
  EXPECT_EQ(0, app.FireNextTimeOut());
}

namespace {
int g_repeats = 0;
void Repeat(CATCommand* client, int, void*) {
  g_events.push_back("repeat " + std::to_string(++g_repeats));
  if (g_repeats < 3) CATApplication::MainApplication()->AddTimeOut(1000, client, nullptr, Repeat);
}
}  // namespace

TEST_F(Dialog, CallbackReRegistersRelativeToItsDueTime) {
  CATApplication app("ZELTestApp");
  g_repeats = 0;
  app.AddTimeOut(1000, nullptr, nullptr, Repeat);
  app.AddTimeOut(2500, nullptr, (void*)"between", Record);
  while (app.FireNextTimeOut()) {
  }
  // Due at 1000, 2000, 2500, 3000 of the application's clock, although no real second passed.
  EXPECT_EQ((std::vector<std::string>{"repeat 1", "repeat 2", "between", "repeat 3"}), g_events);
}

namespace {
void RemoveOthers(CATCommand* client, int, void*) {
  g_events.push_back("remover");
  CATApplication::MainApplication()->RemoveTimeOut(client, Record);
}
}  // namespace

TEST_F(Dialog, RemoveTimeOutByClientAndCallback) {
  CATApplication app("ZELTestApp");
  CATCommand a(nullptr, "a"), b(nullptr, "b");
  app.AddTimeOut(10, &a, (void*)"one", Record);
  app.AddTimeOut(20, &b, (void*)"two", Record);
  app.AddTimeOut(30, &a, (void*)"three", Record);
  app.AddTimeOut(5, &b, nullptr, RemoveOthers);
  app.AddTimeOut(40, &b, nullptr, RemoveOthers);
  app.RemoveTimeOut(&a);
  EXPECT_EQ(3, app.PendingTimeOuts());
  while (app.FireNextTimeOut()) {
  }
  // The first remover takes b's pending Record time-out but leaves the other remover.
  EXPECT_EQ((std::vector<std::string>{"remover", "remover"}), g_events);
}

TEST_F(Dialog, DelayedDestructionOfACommandWithChildren) {
  CATApplication app("ZELTestApp");
  auto* parent = new TracedCommand(&app, "parent");
  auto* child = new TracedCommand(parent, "child");
  new TracedCommand(child, "grandchild");
  app.AddTimeOut(10, child, (void*)"child's time-out", Record);

  parent->RequestDelayedDestruction();
  parent->RequestDelayedDestruction();
  child->RequestDelayedDestruction();
  EXPECT_TRUE(g_events.empty());
  EXPECT_TRUE(child->IsDestructionRequested());
  app.ProcessDelayedDestructions();
  // Each once: the child went with its parent and left neither its pending destruction nor its time-out.
  EXPECT_EQ((std::vector<std::string>{"destroyed parent", "destroyed child", "destroyed grandchild"}),
            g_events);
  EXPECT_EQ(0, app.PendingTimeOuts());
  EXPECT_TRUE(app.GetChildren().empty());

  g_events.clear();
  parent = new TracedCommand(&app, "parent");
  child = new TracedCommand(parent, "child");
  child->RequestDelayedDestruction();
  delete parent;
  app.ProcessDelayedDestructions();
  EXPECT_EQ((std::vector<std::string>{"destroyed parent", "destroyed child"}), g_events);
}

TEST_F(Dialog, DestructionWithoutApplicationIsImmediate) {
  auto* command = new TracedCommand(nullptr, "alone");
  new TracedCommand(command, "child");
  command->RequestDelayedDestruction();
  EXPECT_EQ((std::vector<std::string>{"destroyed alone", "destroyed child"}), g_events);
}

namespace {
void DestroyClient(CATCommand* client, int, void*) {
  client->RequestDelayedDestruction();
}
void ExitAfterTwo(CATCommand*, int, void* data) {
  int& count = *static_cast<int*>(data);
  CATApplication* app = CATApplication::MainApplication();
  if (++count == 2) app->Exit();
  app->AddTimeOut(1, nullptr, data, ExitAfterTwo);
}
}  // namespace

TEST_F(Dialog, RunReturnsWhenNothingIsPendingOrOnExit) {
  CATApplication app("ZELTestApp");
  EXPECT_EQ(0, app.Run());
  auto* command = new TracedCommand(&app, "short-lived");
  app.AddTimeOut(20, nullptr, (void*)"second", Record);
  app.AddTimeOut(5, command, nullptr, DestroyClient);
  EXPECT_EQ(2, app.Run());
  EXPECT_EQ((std::vector<std::string>{"destroyed short-lived", "second"}), g_events);
  EXPECT_EQ(0, app.PendingTimeOuts());

  int count = 0;
  app.AddTimeOut(1, nullptr, &count, ExitAfterTwo);
  EXPECT_EQ(2, app.Run());
  EXPECT_EQ(1, app.PendingTimeOuts());
  EXPECT_LE(1, app.RunFor(50));
  EXPECT_EQ(1, app.PendingTimeOuts());
}
