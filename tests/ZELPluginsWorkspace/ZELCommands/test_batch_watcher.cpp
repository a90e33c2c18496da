// The watcher of a batch's end: it ends the wait on the end of its own batch only (identifiers compared as
// texts), also when the return code cannot be read (which then stays 99), and it is gone from the publisher
// once it goes out of scope, so a later end never calls into it.
#include <gtest/gtest.h>

#include <cstring>

#include "CATBatClientMonitorCAA.h"
#include "ZELBatchEventWatcher.h"

namespace {

// Publishes an end notification for id as the batch server does.
int PublishEnd(const char* id) {
  CATCallbackManager* manager = GetDefaultCallbackManager(GetBatchPublisherCAA());
  if (!manager) return 0;
  auto* notification = new CATBatchEndNotifCAA(id, "CoexistenceAdministration");
  const int ran = manager->DispatchCallbacks(notification, GetBatchPublisherCAA());
  notification->Release();
  return ran;
}

TEST(BatchEventWatcher, EndsTheWaitOnItsOwnBatchEvenWhenTheReturnCodeIsUnreadable) {
  int done = 0;
  ZELBatchEventWatcher watcher(&done);
  ASSERT_TRUE(watcher.IsSubscribed());
  // Only a watcher that has its batch's identifier recognises an end.
  EXPECT_EQ(1, PublishEnd(""));
  EXPECT_EQ(0, done);
  watcher.SetBatchId("CoexAdmin-41");
  EXPECT_EQ(1, PublishEnd("CoexAdmin-4"));
  EXPECT_EQ(0, done);
  // The server knows no such batch, so its return code cannot be read: the wait ends all the same.
  EXPECT_EQ(1, PublishEnd("CoexAdmin-41"));
  EXPECT_EQ(1, done);
  EXPECT_EQ(ZELBatchEventWatcher::kUnreadReturnCode, watcher.GetReturnCode());
}

TEST(BatchEventWatcher, IdentifiersCompareAsTexts) {
  int done = 0;
  ZELBatchEventWatcher watcher(&done);
  // What follows the terminating zero of an identifier is no part of it.
  char stored[CATBatchIdMaxLength + 1] = "CoexAdmin-7";
  std::memset(stored + 12, 'x', sizeof stored - 13);
  watcher.SetBatchId(stored);
  EXPECT_EQ(1, PublishEnd("CoexAdmin-7"));
  EXPECT_EQ(1, done);
  // Longer identifiers are cut at 32 characters on both sides.
  done = 0;
  watcher.SetBatchId("0123456789012345678901234567890123456789");
  EXPECT_EQ(1, PublishEnd("01234567890123456789012345678901"));
  EXPECT_EQ(1, done);
}

TEST(BatchEventWatcher, IsUnsubscribedWhenItGoes) {
  int done = 0;
  {
    ZELBatchEventWatcher watcher(&done);
    watcher.SetBatchId("CoexAdmin-9");
    EXPECT_NE(nullptr, GetDefaultCallbackManager(GetBatchPublisherCAA()));
  }
  EXPECT_EQ(nullptr, GetDefaultCallbackManager(GetBatchPublisherCAA()));
  EXPECT_EQ(0, PublishEnd("CoexAdmin-9"));
  {
    ZELBatchEventWatcher watcher(&done);
    watcher.Unsubscribe();
    EXPECT_FALSE(watcher.IsSubscribed());
    EXPECT_EQ(0, PublishEnd("CoexAdmin-9"));
  }
  EXPECT_EQ(0, done);
}

}  // namespace
