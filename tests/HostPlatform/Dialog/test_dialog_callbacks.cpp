// Notification callbacks: order, matching, removal, and safety when either side is destroyed meanwhile.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <thread>

#include "CATApplication.h"
#include "CATDlgDialog.h"
#include "CATDlgEditor.h"
#include "CATDlgPushButton.h"
#include "CATEventLoopInputs.h"
#include "CATEventSubscriber.h"
#include "CommandRecorder.h"

namespace {

using zeltest::Recorder;

using Events = std::vector<std::string>;

// A window that ends itself from its own OK callback, as product dialogs do.
class ClosingDialog : public CATDlgDialog {
 public:
  ClosingDialog(CATCommand* parent, Events* log)
      : CATDlgDialog(parent, "closing", CATDlgGridLayout | CATDlgWndBtnOKCancel), log_(log) {
    AddAnalyseNotificationCB(this, GetDiaOKNotification(),
                             static_cast<CATCommandMethod>(&ClosingDialog::OnOK), nullptr);
  }
  ~ClosingDialog() override { log_->push_back("destroyed"); }
  void OnOK(CATCommand*, CATNotification*, CATCommandClientData) {
    log_->push_back("ok");
    SetVisibility(CATDlgHide);
    RequestDelayedDestruction();
  }

 private:
  Events* log_;
};

// Destroys the command given as data.
class Destroyer : public CATCommand {
 public:
  void Destroy(CATCommand*, CATNotification*, CATCommandClientData data) {
    delete static_cast<CATCommand*>(data);
  }
};

}  // namespace

TEST(DialogCallbacks, RunInRegistrationOrderForTheirSenderAndKindOnly) {
  CATDlgDialog window(nullptr, "window", CATDlgWndBtnOKCancel);
  auto* first = new CATDlgPushButton(&window, "first");
  auto* second = new CATDlgPushButton(&window, "second");
  window.SetVisibility(CATDlgShow);
  Recorder recorder;
  recorder.Watch(first, first->GetPushBActivateNotification(), "a");
  recorder.Watch(second, second->GetPushBActivateNotification(), "other");
  recorder.Watch(first, first->GetPushBActivateNotification(), "b");
  recorder.Watch(&window, window.GetDiaCANCELNotification(), "cancel");

  EXPECT_EQ(S_OK, first->UserPress());
  EXPECT_EQ(S_OK, window.UserPressButton(CATDlgStdOK));  // no callback on OK: nothing recorded
  EXPECT_EQ((Events{"first CATDlgPushBActivateNotification a", "first CATDlgPushBActivateNotification b"}),
            recorder.events);

  // Matching is by kind: any notification of that kind sent by the sender reaches the callbacks.
  recorder.events.clear();
  auto* same = new CATNotification("CATDlgPushBActivateNotification");
  EXPECT_EQ(2, first->PublishNotification(same));
  same->Release();
  EXPECT_EQ(0, first->PublishNotification(nullptr));
  EXPECT_EQ(2u, recorder.events.size());

  EXPECT_EQ(0u, recorder.Watch(nullptr, first->GetPushBActivateNotification()));
  EXPECT_EQ(0u, recorder.Watch(first, nullptr));
}

TEST(DialogCallbacks, RemovedByIdentifierOrByMatchAndOnlyByTheirOwner) {
  CATDlgPushButton button(nullptr, "button");
  Recorder recorder, stranger("stranger");
  CATNotification* activate = button.GetPushBActivateNotification();
  static const char kB[] = "b";
  CATCallback a = recorder.Watch(&button, activate, "a");
  recorder.Watch(&button, activate, kB);
  recorder.Watch(&button, activate, kB);
  recorder.Watch(&button, activate, "c");
  const auto record = static_cast<CATCommandMethod>(&Recorder::Record);

  EXPECT_EQ(0, stranger.RemoveAnalyseNotificationCB(a));
  EXPECT_EQ(0, stranger.RemoveAnalyseNotificationCB(&button, activate, record, const_cast<char*>(kB)));
  EXPECT_EQ(1, recorder.RemoveAnalyseNotificationCB(a));
  EXPECT_EQ(0, recorder.RemoveAnalyseNotificationCB(a));
  EXPECT_EQ(0, recorder.RemoveAnalyseNotificationCB(&button, activate, record, nullptr));
  EXPECT_EQ(2, recorder.RemoveAnalyseNotificationCB(&button, activate, record, const_cast<char*>(kB)));
  EXPECT_EQ(1, button.PublishNotification(activate));
  EXPECT_EQ((Events{"button CATDlgPushBActivateNotification c"}), recorder.events);
}

TEST(DialogCallbacks, NeverReachADestroyedClientOrSender) {
  CATDlgDialog window(nullptr, "window", CATDlgWndBtnOKCancel);
  window.SetVisibility(CATDlgShow);
  auto* button = new CATDlgPushButton(&window, "button");
  auto* gone = new Recorder("gone");
  gone->Watch(button, button->GetPushBActivateNotification());
  gone->Watch(&window, window.GetDiaOKNotification());
  delete gone;
  EXPECT_EQ(S_OK, button->UserPress());
  EXPECT_EQ(S_OK, window.UserPressButton(CATDlgStdOK));

  // A client destroyed by an earlier callback of the same notification is skipped.
  Destroyer destroyer;
  auto* victim = new Recorder("victim");
  destroyer.AddAnalyseNotificationCB(button, button->GetPushBActivateNotification(),
                                     static_cast<CATCommandMethod>(&Destroyer::Destroy), victim);
  victim->Watch(button, button->GetPushBActivateNotification());
  EXPECT_EQ(S_OK, button->UserPress());

  // The sender goes while its client stays: the client's other callbacks keep working.
  Recorder survivor;
  survivor.Watch(button, button->GetPushBActivateNotification());
  survivor.Watch(&window, window.GetDiaOKNotification());
  delete button;
  EXPECT_EQ(nullptr, window.FindChild("button"));
  window.UserPressButton(CATDlgStdOK);
  EXPECT_EQ((Events{"window CATDlgDiaOKNotification"}), survivor.events);
}

TEST(DialogCallbacks, AddedDuringADispatchTheyWaitForTheNextNotification) {
  CATDlgPushButton button(nullptr, "button");
  struct Adder : Recorder {
    void Add(CATCommand* sender, CATNotification* n, CATCommandClientData) {
      events.push_back("adder");
      Watch(sender, n, "late");
    }
  } adder;
  adder.AddAnalyseNotificationCB(&button, button.GetPushBActivateNotification(),
                                 static_cast<CATCommandMethod>(&Adder::Add), nullptr);
  EXPECT_EQ(S_OK, button.UserPress());
  EXPECT_EQ((Events{"adder"}), adder.events);
  EXPECT_EQ(S_OK, button.UserPress());
  EXPECT_EQ((Events{"adder", "adder", "button CATDlgPushBActivateNotification late"}), adder.events);
}

TEST(DialogCallbacks, AWindowEndsItselfFromItsOwnCallback) {
  Events log;
  {
    CATApplication app("ZELTestApp");
    auto* dialog = new ClosingDialog(&app, &log);
    dialog->SetVisibility(CATDlgShow);
    Recorder after;
    after.Watch(dialog, dialog->GetDiaOKNotification());
    EXPECT_EQ(S_OK, dialog->UserPressButton(CATDlgStdOK));
    // Delayed: the rest of the notification is still delivered to a live window.
    EXPECT_EQ((Events{"ok"}), log);
    EXPECT_EQ(1u, after.events.size());
    EXPECT_EQ(E_FAIL, dialog->UserPressButton(CATDlgStdOK));  // hidden by its callback
    app.ProcessDelayedDestructions();
    EXPECT_EQ((Events{"ok", "destroyed"}), log);
    EXPECT_TRUE(app.GetChildren().empty());
  }

  // Without an application the destruction is immediate, in the middle of the notification.
  log.clear();
  auto* dialog = new ClosingDialog(nullptr, &log);
  auto* editor = new CATDlgEditor(dialog, "editor");
  dialog->SetVisibility(CATDlgShow);
  Recorder after;
  after.Watch(dialog, dialog->GetDiaOKNotification());
  EXPECT_EQ(S_OK, dialog->UserPressButton(CATDlgStdOK));
  EXPECT_EQ((Events{"ok", "destroyed"}), log);
  EXPECT_TRUE(after.events.empty());

  // The same when an editor's first notification destroys its window: the second is not sent.
  log.clear();
  dialog = new ClosingDialog(nullptr, &log);
  editor = new CATDlgEditor(dialog, "editor");
  dialog->SetVisibility(CATDlgShow);
  Destroyer destroyer;
  destroyer.AddAnalyseNotificationCB(editor, editor->GetEditModifyNotification(),
                                     static_cast<CATCommandMethod>(&Destroyer::Destroy), dialog);
  after.Watch(editor, editor->GetEditChangeNotification());
  EXPECT_EQ(S_OK, editor->UserTypeText("text"));
  EXPECT_EQ((Events{"destroyed"}), log);
  EXPECT_TRUE(after.events.empty());
}

namespace {

Events s_subscriberLog;

// Records each callback as "<data>:<kind>"; the one registered with data "remove" removes its subscriber's
// callbacks on that publisher while the dispatch runs.
void RecordCallback(CATEventSubscriber* subscriber, CATBaseUnknown* publisher, CATNotification* notification,
                    CATSubscriberData data, CATCallback) {
  std::string tag = static_cast<const char*>(data);
  s_subscriberLog.push_back(tag + ":" + notification->GetKind().CastToCharPtr());
  if (tag == "remove") RemoveSubscriberCallbacks(subscriber, publisher);
}

}  // namespace

TEST(SubscriberCallbacks, AManagerExistsWhileCallbacksDoAndDispatchesByKindInOrder) {
  s_subscriberLog.clear();
  CATBaseUnknown_var publisher(new CATBaseUnknown);
  publisher->Release();
  auto* subscriber = new CATCommand(nullptr, "subscriber");
  EXPECT_EQ(nullptr, GetDefaultCallbackManager(publisher));
  EXPECT_EQ(0u, AddCallback(subscriber, publisher, "", &RecordCallback, nullptr));
  EXPECT_NE(0u, AddCallback(subscriber, publisher, "Ping", &RecordCallback, const_cast<char*>("first")));
  EXPECT_NE(0u, AddCallback(subscriber, publisher, "Pong", &RecordCallback, const_cast<char*>("other")));
  EXPECT_NE(0u, AddCallback(subscriber, publisher, "Ping", &RecordCallback, const_cast<char*>("remove")));
  EXPECT_NE(0u, AddCallback(subscriber, publisher, "Ping", &RecordCallback, const_cast<char*>("never")));
  CATCallbackManager* manager = GetDefaultCallbackManager(publisher);
  ASSERT_NE(nullptr, manager);
  CATNotification* ping = new CATNotification("Ping");
  // The third callback removes the subscriber's callbacks, so the fourth does not run and the manager goes.
  EXPECT_EQ(2, manager->DispatchCallbacks(ping, publisher));
  ping->Release();
  EXPECT_EQ((Events{"first:Ping", "remove:Ping"}), s_subscriberLog);
  EXPECT_EQ(nullptr, GetDefaultCallbackManager(publisher));

  // A subscriber's callbacks end with it.
  AddCallback(subscriber, publisher, "Ping", &RecordCallback, const_cast<char*>("first"));
  EXPECT_NE(nullptr, GetDefaultCallbackManager(publisher));
  delete subscriber;
  EXPECT_EQ(nullptr, GetDefaultCallbackManager(publisher));
}

TEST(EventLoopInputs, TheLoopServesADescriptorBesideItsTimeOutsAndEndsAtItsDeadline) {
  CATApplication app("inputs");
  int fds[2];
  ASSERT_EQ(0, pipe(fds));
  struct Seen {
    CATApplication* app;
    std::string bytes;
  } seen{&app, {}};
  unsigned long input = CATAddInput(
      fds[0],
      [](int fd, void* data) {
        auto* s = static_cast<Seen*>(data);
        char buffer[16];
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) s->bytes.append(buffer, static_cast<size_t>(n));
        if (s->bytes == "ab") s->app->Exit();
      },
      &seen);
  ASSERT_NE(0u, input);
  EXPECT_EQ(0u, CATAddInput(
                    -1, [](int, void*) {}, nullptr));
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(1, write(fds[1], "a", 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(1, write(fds[1], "b", 1));
  });
  // Exit from the input's callback ends the wait long before the limit.
  app.RunFor(60000);
  writer.join();
  EXPECT_EQ("ab", seen.bytes);
  // With nothing arriving, the loop still ends at its deadline, and a removed input is no longer served.
  EXPECT_EQ(1, write(fds[1], "c", 1));
  CATRemoveInput(input);
  EXPECT_EQ(0, CATCountInputs());
  app.RunFor(30);
  EXPECT_EQ("ab", seen.bytes);
  close(fds[0]);
  close(fds[1]);
}
