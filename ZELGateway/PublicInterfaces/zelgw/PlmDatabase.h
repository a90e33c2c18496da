// The client's PLM database, as the gateway writes transferred revisions into it: the stand-in 3DEXPERIENCE
// database file a client session works on (components, their typed attributes, instances, plm_info). The
// gateway shares no code with the client platform, so it writes that format with its own SQL.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

namespace zelgw {

// The client session keeps the file open and may be writing it; a transfer waits this long for it.
inline constexpr int kPlmBusyTimeoutMs = 5000;

class PlmDatabaseError : public std::runtime_error {
 public:
  enum class Kind {
    kNotPlmDatabase,  // missing, not SQLite, or not of the PLM database's schema
    kBusy,            // another connection held the file longer than the busy time-out
    kFailed,          // anything else; nothing was written
  };
  PlmDatabaseError(Kind kind, const std::string& what) : std::runtime_error(what), kind(kind) {}
  Kind kind;
};

// A revision to create or update, known by its external id and major revision.
struct PlmObject {
  std::string externalId;
  std::string revision;
  std::string name;
  std::string description;
  std::string owner;
  bool released = false;  // a new object starts released rather than in work
  // Its structure was sent: its instances are brought in line with the lines that name it as parent.
  bool expanded = false;
  // Instance names of lines the transfer skipped; their instances stay even when removing.
  std::vector<std::string> keptInstances;
};

struct PlmLine {
  std::size_t parent;  // indexes into PlmTransfer::objects
  std::size_t child;
  std::string instanceName;  // the instance's PLM_ExternalID
};

struct PlmTransfer {
  std::vector<PlmObject> objects;
  std::vector<PlmLine> lines;
  bool force = false;                      // also overwrite frozen and released objects
  bool removeExistingNotProvided = false;  // remove instances of an expanded object the lines do not name
};

struct PlmWriteResult {
  std::size_t objectsCreated = 0;
  std::size_t objectsUpdated = 0;
  std::size_t instancesCreated = 0;
  std::size_t instancesUpdated = 0;
  std::size_t instancesRemoved = 0;
  // "ID REV" of existing objects left as they were, being frozen or released, without force.
  std::vector<std::string> protectedObjects;
};

class PlmDatabase {
 public:
  // Opens an existing PLM database; throws PlmDatabaseError (kNotPlmDatabase) for anything else, which is
  // left untouched.
  explicit PlmDatabase(const std::string& path, int busyTimeoutMs = kPlmBusyTimeoutMs);
  ~PlmDatabase();
  PlmDatabase(const PlmDatabase&) = delete;
  PlmDatabase& operator=(const PlmDatabase&) = delete;

  // Writes the whole transfer in one transaction, or nothing (PlmDatabaseError).
  PlmWriteResult Write(const PlmTransfer& transfer);

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace zelgw
