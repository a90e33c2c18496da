#include "CATEventSubscriber.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

struct Registration {
  CATCallback id;
  CATEventSubscriber* subscriber;
  std::string kind;
  CATSubscriberMethod method;
  CATSubscriberData data;
};

// One manager per publisher that has callbacks; the manager object itself only names the publisher.
struct PublisherCallbacks {
  CATCallbackManager manager;
  std::vector<Registration> registrations;
};

// Never destroyed: subscribers may die in static finalisers.
std::map<CATBaseUnknown*, PublisherCallbacks>& Publishers() {
  static auto* publishers = new std::map<CATBaseUnknown*, PublisherCallbacks>;
  return *publishers;
}

CATCallback s_lastCallback = 0;

bool IsRegistered(CATBaseUnknown* publisher, CATCallback id) {
  auto it = Publishers().find(publisher);
  if (it == Publishers().end()) return false;
  const auto& list = it->second.registrations;
  return std::any_of(list.begin(), list.end(), [id](const Registration& r) { return r.id == id; });
}

// Removes the matching registrations and drops publishers left without any.
template <class Match>
int RemoveWhere(Match match) {
  int removed = 0;
  auto& publishers = Publishers();
  for (auto it = publishers.begin(); it != publishers.end();) {
    auto& list = it->second.registrations;
    auto end =
        std::remove_if(list.begin(), list.end(), [&](const Registration& r) { return match(it->first, r); });
    removed += static_cast<int>(list.end() - end);
    list.erase(end, list.end());
    it = list.empty() ? publishers.erase(it) : std::next(it);
  }
  return removed;
}

}  // namespace

CATEventSubscriber::~CATEventSubscriber() {
  RemoveWhere([this](CATBaseUnknown*, const Registration& r) { return r.subscriber == this; });
}

int CATCallbackManager::DispatchCallbacks(CATNotification* notification, CATBaseUnknown* publisher) {
  if (!notification || !publisher) return 0;
  auto it = Publishers().find(publisher);
  if (it == Publishers().end() || &it->second.manager != this) return 0;
  // A snapshot, because callbacks may change the registrations (and so this manager) while they run.
  std::vector<Registration> matching;
  for (const Registration& r : it->second.registrations)
    if (r.kind == notification->GetKind().CastToCharPtr()) matching.push_back(r);
  CATBaseUnknown_var keep(notification);
  int ran = 0;
  for (const Registration& r : matching) {
    if (!IsRegistered(publisher, r.id)) continue;
    r.method(r.subscriber, publisher, notification, r.data, r.id);
    ++ran;
  }
  return ran;
}

CATCallback AddCallback(CATEventSubscriber* subscriber, CATBaseUnknown* publisher,
                        const char* notificationClass, CATSubscriberMethod method, CATSubscriberData data) {
  if (!subscriber || !publisher || !notificationClass || !*notificationClass || !method) return 0;
  Registration r{++s_lastCallback, subscriber, notificationClass, method, data};
  Publishers()[publisher].registrations.push_back(r);
  return r.id;
}

int RemoveSubscriberCallbacks(CATEventSubscriber* subscriber, CATBaseUnknown* publisher) {
  return RemoveWhere(
      [&](CATBaseUnknown* p, const Registration& r) { return p == publisher && r.subscriber == subscriber; });
}

CATCallbackManager* GetDefaultCallbackManager(CATBaseUnknown* publisher) {
  auto it = Publishers().find(publisher);
  return it == Publishers().end() ? nullptr : &it->second.manager;
}
