// The handle table and the time-outs every handle carries.
#include <unordered_map>

#include "WinHttpObjects.h"

namespace {
struct HandleTable {
  std::mutex mutex;
  std::unordered_map<uintptr_t, std::shared_ptr<winhttp::Object>> objects;
  uintptr_t next = 0x1000;
};

HandleTable& Table() {
  // Never destroyed: handles closed by static destructors of other libraries must still find the table.
  static HandleTable* table = new HandleTable;
  return *table;
}
}  // namespace

namespace winhttp {

void Object::SetTimeouts(const Timeouts& timeouts) {
  std::lock_guard<std::mutex> lock(timeoutMutex_);
  timeouts_ = timeouts;
}

Timeouts Object::GetTimeouts() const {
  std::lock_guard<std::mutex> lock(timeoutMutex_);
  return timeouts_;
}

HINTERNET Register(std::shared_ptr<Object> object) {
  HandleTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  const uintptr_t id = table.next;
  table.next += 8;
  table.objects.emplace(id, std::move(object));
  return reinterpret_cast<HINTERNET>(id);
}

std::shared_ptr<Object> Lookup(HINTERNET handle) {
  HandleTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  auto found = table.objects.find(reinterpret_cast<uintptr_t>(handle));
  return found == table.objects.end() ? nullptr : found->second;
}

std::shared_ptr<Object> Unregister(HINTERNET handle) {
  HandleTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  auto found = table.objects.find(reinterpret_cast<uintptr_t>(handle));
  if (found == table.objects.end()) return nullptr;
  std::shared_ptr<Object> object = std::move(found->second);
  table.objects.erase(found);
  return object;
}

}  // namespace winhttp
