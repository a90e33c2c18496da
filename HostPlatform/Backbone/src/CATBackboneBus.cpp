#include "CATBackboneBus.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>

#include "CATBackboneCommunicator.h"

namespace {

struct BusRegistry {
  std::mutex mutex;
  // One bus per directory ever used; buses are handed out without references, so they stay.
  std::map<std::string, std::unique_ptr<CATBackboneBus>> buses;
  // The process's connection to each directory: one object while anybody holds it.
  std::map<std::string, CATBackboneCommunicator*> connections;
};

BusRegistry& Registry() {
  static BusRegistry* registry = new BusRegistry;
  return *registry;
}

// The connection of the registry, forgotten when it goes.
class RegisteredCommunicator : public CATBackboneCommunicator {
 public:
  using CATBackboneCommunicator::CATBackboneCommunicator;
  ~RegisteredCommunicator() override {
    BusRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto it = registry.connections.find(Directory());
    if (it != registry.connections.end() && it->second == this) registry.connections.erase(it);
  }
};

bool Refuse(const std::string& directory, const std::string& why) {
  std::cerr << "CATBackbone: the bus directory " << directory << " " << why << "; refusing it" << std::endl;
  return false;
}

// Creates the directory when missing; true when it is a real directory of this user that nobody else may
// enter.
bool IsPrivateDirectory(const std::string& directory) {
  if (mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST)
    return Refuse(directory, std::string("cannot be created (") + std::strerror(errno) + ")");
  struct stat info {};
  if (lstat(directory.c_str(), &info) != 0)
    return Refuse(directory, std::string("cannot be examined (") + std::strerror(errno) + ")");
  if (S_ISLNK(info.st_mode)) return Refuse(directory, "is not a directory (it is a symbolic link)");
  if (!S_ISDIR(info.st_mode)) return Refuse(directory, "is not a directory");
  if (info.st_uid != geteuid()) return Refuse(directory, "belongs to user " + std::to_string(info.st_uid));
  if (info.st_mode & 077) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    return Refuse(directory, std::string("is open to other users (mode ") + mode + ")");
  }
  return true;
}

}  // namespace

std::string CATGetBackboneDirectory() {
  const char* configured = std::getenv("CATBackboneDirectory");
  if (configured && *configured) return configured;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) return std::string(runtime) + "/CATBackbone";
  return "/tmp/CATBackbone-" + std::to_string(geteuid());
}

CATBackboneBus* CATGetDefaultBus() {
  std::string directory = CATGetBackboneDirectory();
  if (!IsPrivateDirectory(directory)) return nullptr;
  BusRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  std::unique_ptr<CATBackboneBus>& bus = registry.buses[directory];
  if (!bus) bus = std::make_unique<CATBackboneBus>(directory);
  return bus.get();
}

CATICommunicator* CATGetBackboneConnection(CATBackboneBus* bus, int /*flags*/) {
  if (!bus) return nullptr;
  BusRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  CATBackboneCommunicator*& connection = registry.connections[bus->Directory()];
  if (connection)
    connection->AddRef();
  else
    connection = new RegisteredCommunicator(bus->Directory());
  return connection;
}

std::vector<std::string> CATBackboneServedApplications() {
  BusRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  std::vector<std::string> applications;
  for (const auto& [directory, connection] : registry.connections)
    if (connection) connection->AppendServedApplications(applications);
  return applications;
}
