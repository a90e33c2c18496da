// Commands that stand in for the PDM login and logout in client scripts, so that scripts can drive the
// login store the way those commands will: a successful login stores the credentials and sets the flag,
// logout clears the flag.
#include "CATAfrCommandFactory.h"
#include "CATCommand.h"
#include "ZELLoginData.h"

namespace {

class ZELTestCommand : public CATCommand {
 public:
  explicit ZELTestCommand(const char* name) : CATCommand(nullptr, name) {}
  CATStatusChangeRC Activate(CATCommand*, CATNotification*) override {
    Run();
    RequestDelayedDestruction();
    return CATStatusChangeRCCompleted;
  }

 protected:
  virtual void Run() = 0;
};

}  // namespace

class ZELTestLoginCmd : public ZELTestCommand {
 public:
  ZELTestLoginCmd() : ZELTestCommand("ZELTestLoginCmd") {}

 protected:
  void Run() override {
    ZELLoginData::SetLoginData("alice", "secret", "Engineering", "Designer");
    ZELLoginData::SetLoginOk(1);
  }
};

class ZELTestLogoutCmd : public ZELTestCommand {
 public:
  ZELTestLogoutCmd() : ZELTestCommand("ZELTestLogoutCmd") {}

 protected:
  void Run() override { ZELLoginData::SetLoginOk(0); }
};

CATAfrImplementCommandFactory(ZELTestLoginCmd)
CATAfrImplementCommandFactory(ZELTestLogoutCmd)
