#ifndef CATCallbackRegistry_h
#define CATCallbackRegistry_h
// The process-wide table of notification callbacks. Main thread only, as the whole dialog toolkit.
#include <map>
#include <unordered_map>

#include "CATCommand.h"

class CATCallbackRegistry {
 public:
  static CATCallbackRegistry& Instance();

  CATCallback Add(CATCommand* client, CATCommand* sender, const CATString& kind, CATCommandMethod method,
                  CATCommandClientData data);
  int Remove(CATCommand* client, CATCallback callback);
  int Remove(CATCommand* client, CATCommand* sender, const CATString& kind, CATCommandMethod method,
             CATCommandClientData data);
  // Drops every callback in which the command takes part, as sender or as client.
  void Forget(const CATCommand* command);
  int Dispatch(CATCommand* sender, CATNotification* notification);

 private:
  struct Entry {
    CATCommand* client;
    CATCommand* sender;
    CATString kind;
    CATCommandMethod method;
    CATCommandClientData data;
  };
  void Erase(std::map<CATCallback, Entry>::iterator it);
  void Involve(const CATCommand* command, int delta);

  // Ordered by identifier, which is the order of registration.
  std::map<CATCallback, Entry> entries_;
  // How many entries each command takes part in, so that destroying an uninvolved command costs nothing.
  std::unordered_map<const CATCommand*, int> involvement_;
  CATCallback next_ = 1;
};

#endif
