#ifndef CommandRecorder_h
#define CommandRecorder_h
// A command that records every notification it is called back for, as "sender kind [data]". Header only:
// the tests that use it link the dialog library themselves.
#include <string>
#include <vector>

#include "CATCommand.h"
#include "CATNotification.h"

namespace zeltest {

class Recorder : public CATCommand {
 public:
  explicit Recorder(const char* name = "recorder") : CATCommand(nullptr, name) {}

  void Record(CATCommand* sender, CATNotification* notification, CATCommandClientData data) {
    std::string line = sender->GetName().str() + " " + notification->GetKind().str();
    if (data) line += std::string(" ") + static_cast<const char*>(data);
    events.push_back(line);
  }
  // Registers Record for the notification of sender.
  CATCallback Watch(CATCommand* sender, CATNotification* notification, const char* data = nullptr) {
    return AddAnalyseNotificationCB(sender, notification, static_cast<CATCommandMethod>(&Recorder::Record),
                                    const_cast<char*>(data));
  }

  std::vector<std::string> events;
};

}  // namespace zeltest

#endif
