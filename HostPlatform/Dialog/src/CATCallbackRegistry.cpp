#include "CATCallbackRegistry.h"

#include <vector>

#include "CATNotification.h"

CATCallbackRegistry& CATCallbackRegistry::Instance() {
  // Never destroyed: commands with static lifetime may still unregister at exit.
  static CATCallbackRegistry* registry = new CATCallbackRegistry;
  return *registry;
}

void CATCallbackRegistry::Involve(const CATCommand* command, int delta) {
  auto it = involvement_.find(command);
  if (it == involvement_.end()) {
    if (delta > 0) involvement_.emplace(command, delta);
    return;
  }
  it->second += delta;
  if (it->second <= 0) involvement_.erase(it);
}

CATCallback CATCallbackRegistry::Add(CATCommand* client, CATCommand* sender, const CATString& kind,
                                     CATCommandMethod method, CATCommandClientData data) {
  if (!client || !sender || !method) return 0;
  CATCallback id = next_++;
  entries_.emplace(id, Entry{client, sender, kind, method, data});
  Involve(client, 1);
  if (sender != client) Involve(sender, 1);
  return id;
}

void CATCallbackRegistry::Erase(std::map<CATCallback, Entry>::iterator it) {
  Involve(it->second.client, -1);
  if (it->second.sender != it->second.client) Involve(it->second.sender, -1);
  entries_.erase(it);
}

int CATCallbackRegistry::Remove(CATCommand* client, CATCallback callback) {
  auto it = entries_.find(callback);
  if (it == entries_.end() || it->second.client != client) return 0;
  Erase(it);
  return 1;
}

int CATCallbackRegistry::Remove(CATCommand* client, CATCommand* sender, const CATString& kind,
                                CATCommandMethod method, CATCommandClientData data) {
  int removed = 0;
  for (auto it = entries_.begin(); it != entries_.end();) {
    const Entry& e = it->second;
    if (e.client == client && e.sender == sender && e.kind == kind && e.method == method && e.data == data) {
      Erase(it++);
      ++removed;
    } else {
      ++it;
    }
  }
  return removed;
}

void CATCallbackRegistry::Forget(const CATCommand* command) {
  if (!involvement_.count(command)) return;
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (it->second.client == command || it->second.sender == command)
      Erase(it++);
    else
      ++it;
  }
}

int CATCallbackRegistry::Dispatch(CATCommand* sender, CATNotification* notification) {
  if (!sender || !notification || !involvement_.count(sender)) return 0;
  // Held for the whole dispatch: a callback may destroy the sender that owns the notification.
  CATBaseUnknown_var hold(notification);
  const CATString kind = notification->GetKind();
  std::vector<CATCallback> due;
  for (const auto& [id, e] : entries_)
    if (e.sender == sender && e.kind == kind) due.push_back(id);
  int ran = 0;
  for (CATCallback id : due) {
    // Looked up again each time: an earlier callback may have removed this one or destroyed its client.
    auto it = entries_.find(id);
    if (it == entries_.end()) continue;
    Entry e = it->second;
    (e.client->*e.method)(e.sender, notification, e.data);
    ++ran;
  }
  return ran;
}
