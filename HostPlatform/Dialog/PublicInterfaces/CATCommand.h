#ifndef CATCommand_h
#define CATCommand_h
// Commands: named objects in a parent tree, activated by the client and destroyed on request once the
// current event has been handled. A command sends notifications; other commands register callbacks on
// them, which end when either side is destroyed. Like the whole dialog toolkit, main thread only.
#include <memory>
#include <string>
#include <vector>

#include "CATBaseUnknown.h"
#include "CATDialogDefs.h"
#include "CATEventSubscriber.h"
#include "CATString.h"

class CATNotification;
class CATCommand;

enum CATStatusChangeRC { CATStatusChangeRCCompleted = 0, CATStatusChangeRCAborted = 1 };

typedef void* CATCommandClientData;
// A callback: a member function of the registering command, called with the sender, the notification and
// the data given at registration. Subclass members are passed with a cast to CATCommandMethod.
typedef void (CATCommand::*CATCommandMethod)(CATCommand* sender, CATNotification* notification,
                                             CATCommandClientData data);

class ExportedByCATDialog CATCommand : public CATEventSubscriber {
 public:
  explicit CATCommand(CATCommand* parent = nullptr, const CATString& name = CATString());
  ~CATCommand() override;
  CATCommand(const CATCommand&) = delete;
  CATCommand& operator=(const CATCommand&) = delete;

  const CATString& GetName() const { return name_; }
  CATCommand* GetFather() const { return parent_; }
  const std::vector<CATCommand*>& GetChildren() const { return children_; }

  virtual CATStatusChangeRC Activate(CATCommand* from, CATNotification* notification);
  virtual CATStatusChangeRC Desactivate(CATCommand* from, CATNotification* notification);
  virtual CATStatusChangeRC Cancel(CATCommand* from, CATNotification* notification);

  // Destroys the command (and its children) at the next turn of the event loop.
  void RequestDelayedDestruction();
  int IsDestructionRequested() const { return destructionRequested_; }

  // Calls method on this command whenever sender sends a notification of the kind of notification.
  // Returns 0 (nothing registered) when sender, notification or method is null.
  CATCallback AddAnalyseNotificationCB(CATCommand* sender, CATNotification* notification,
                                       CATCommandMethod method, CATCommandClientData data);
  // Removes one callback of this command; 1 when it was registered, else 0.
  int RemoveAnalyseNotificationCB(CATCallback callback);
  // Removes this command's callbacks matching all four; returns how many were removed.
  int RemoveAnalyseNotificationCB(CATCommand* sender, CATNotification* notification, CATCommandMethod method,
                                  CATCommandClientData data);
  // Runs, in order of registration, the callbacks registered on this command for the notification's
  // kind; returns how many ran. Callbacks may add, remove or destroy anything, this sender included.
  int PublishNotification(CATNotification* notification);

  // Expires when the command is destroyed: lets code that runs callbacks know whether it may go on.
  std::weak_ptr<const int> LifeToken() const { return life_; }

 private:
  CATCommand* parent_;
  CATString name_;
  std::vector<CATCommand*> children_;
  int destructionRequested_ = 0;
  std::shared_ptr<const int> life_;
};

#endif
