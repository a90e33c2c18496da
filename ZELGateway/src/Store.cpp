#include "zelgw/Store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "zelgw/StoreSchema.h"
#include "zelgw/StoreSeed.h"

namespace zelgw {
namespace {

// Enough for the worker threads of one server with room to spare; more would only contend for the writer
// lock.
constexpr std::size_t kMaxFileConnections = 16;
// The database header: a fixed text first, the application id at offset 68.
constexpr char kSqliteMagic[16] = "SQLite format 3";
constexpr std::size_t kHeaderBytes = 100;
constexpr std::size_t kApplicationIdOffset = 68;

std::string SystemError(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

std::string NotOurs(const std::string& path, const char* reason) {
  return path + " is not a gateway store (" + reason + "); it was left unchanged";
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

// True when the file was made here. SQLite gives the -wal and -shm files the mode of the database file, so
// making this one private makes them private too.
bool CreatePrivateFile(const std::string& path) {
  FileDescriptor file(open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (file.Get() < 0) {
    if (errno == EEXIST) return false;
    throw StoreError(SystemError("cannot create the store " + path));
  }
  // The umask can only take bits away; this sets exactly read and write for the owner whatever it is.
  if (fchmod(file.Get(), S_IRUSR | S_IWUSR) != 0) {
    std::string error = SystemError("cannot make the store " + path + " private");
    unlink(path.c_str());
    throw StoreError(error);
  }
  return true;
}

// Looks at an existing file before SQLite may write to it (setting WAL mode alone rewrites the header).
void RefuseForeignFile(const std::string& path) {
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) {
    if (errno == ENOENT) throw StoreError("there is no store " + path);
    throw StoreError(SystemError("cannot open the store " + path));
  }
  struct stat status {};
  if (fstat(file.Get(), &status) != 0) throw StoreError(SystemError("cannot open the store " + path));
  if (!S_ISREG(status.st_mode)) throw StoreError(NotOurs(path, "not a regular file"));
  if (status.st_size == 0) return;  // an empty file is an empty database

  unsigned char header[kHeaderBytes] = {};
  ssize_t got = pread(file.Get(), header, sizeof header, 0);
  if (got != static_cast<ssize_t>(sizeof header) ||
      std::memcmp(header, kSqliteMagic, sizeof kSqliteMagic) != 0) {
    throw StoreError(NotOurs(path, "not a SQLite database"));
  }
  // Read from the header itself: a mark never changes once set, so this holds even while another gateway
  // process writes to the file.
  std::int32_t id = static_cast<std::int32_t>(std::uint32_t{header[kApplicationIdOffset]} << 24 |
                                              std::uint32_t{header[kApplicationIdOffset + 1]} << 16 |
                                              std::uint32_t{header[kApplicationIdOffset + 2]} << 8 |
                                              std::uint32_t{header[kApplicationIdOffset + 3]});
  if (id == kStoreApplicationId) return;
  if (id != 0) throw StoreError(NotOurs(path, "another application's database"));

  // Unmarked: an empty database, a store from before the mark, or someone else's. The look reads without
  // locks, so a page rewritten meanwhile by a writer can make it fail; a second look is then worth a try.
  for (int attempt = 1;; ++attempt) {
    try {
      Connection look(path, Connection::Access::Inspect);
      if (InspectStore(look) == StoreContent::Foreign) break;
      return;
    } catch (const StoreError& error) {
      if (attempt == 3) throw StoreError("cannot read the store " + path + ": " + error.what());
      usleep(100 * 1000);
    }
  }
  throw StoreError(NotOurs(path, "another application's database"));
}

std::unique_ptr<Connection> OpenFileConnection(const std::string& path) {
  auto connection = std::make_unique<Connection>(path);
  connection->Execute("PRAGMA journal_mode = WAL");
  connection->Execute("PRAGMA synchronous = NORMAL");
  return connection;
}

}  // namespace

Store::Store(std::string path, StoreOptions options) : path_(path.empty() ? ":memory:" : std::move(path)) {
  const bool memory = path_ == ":memory:";
  if (memory) {
    // A memory database exists per connection, so a memory store keeps exactly one.
    pool_ = std::make_unique<ConnectionPool>([] { return std::make_unique<Connection>(":memory:"); }, 1);
  } else {
    if (!options.create || !CreatePrivateFile(path_)) RefuseForeignFile(path_);
    pool_ = std::make_unique<ConnectionPool>([path = path_] { return OpenFileConnection(path); },
                                             kMaxFileConnections);
  }
  Lease connection = Acquire();
  Transaction transaction(*connection);
  // Looked at again under the write lock: the first look could not see what another process wrote since, nor
  // what still waits in a -wal file.
  if (!memory && InspectStore(*connection) == StoreContent::Foreign) {
    throw StoreError(NotOurs(path_, "another application's database"));
  }
  created_ = MigrateSchema(*connection);
  if (created_) SeedDemoData(*connection, {});
  transaction.Commit();
}

Store::~Store() = default;

int Store::SchemaVersion() {
  Lease connection = Acquire();
  return StoredSchemaVersion(*connection);
}

void Store::Seed() {
  std::vector<SeedUser> users = HashDemoAccounts();
  Lease connection = Acquire();
  Transaction transaction(*connection);
  SeedDemoData(*connection, users);
  transaction.Commit();
}

}  // namespace zelgw
