#include "CATPLMSessionImpl.h"

#include "CATError.h"
#include "CATIAdpPLMErrorReviewer.h"
#include "CATInstantiateComponent.h"
#include "CATLib.h"
#include "CATPLMObjects.h"

namespace {

struct SessionState {
  CATPLMSessionPtr current;
  std::string configured;  // empty: ZEL_PLM_DATABASE, else the runtime tree's demo database
  // Closing breaks the links between the session and its objects, so nothing is left unreachable at exit.
  ~SessionState() {
    if (current) current->Close();
  }
};

SessionState& State() {
  static SessionState state;
  return state;
}

std::string DefaultPath() {
  const char* env = CATGetEnv("ZEL_PLM_DATABASE");
  if (env && *env) return env;
  std::string lib = CATGetRuntimeLibraryDirectory();
  return lib.empty() ? std::string() : lib + "/../../resources/plm/PLMDemo.db";
}

HRESULT Open(const std::string& path, CATPLMSessionPtr& session) {
  if (path.empty()) return CATPLMFail("No PLM database is configured (ZEL_PLM_DATABASE)");
  sqlite3* db = nullptr;
  // Without SQLITE_OPEN_CREATE: a missing database is an error, never an empty new file.
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  if (rc != SQLITE_OK) {
    std::string why = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    return CATPLMFail("PLM database " + path + " cannot be opened: " + why);
  }
  sqlite3_busy_timeout(db, 5000);
  std::string version, why;
  {
    CATPLMStatement pragma(db, "PRAGMA foreign_keys = ON");
    CATPLMStatement schema(db, "SELECT value FROM plm_info WHERE key = ?1");
    int rc = SQLITE_ERROR;
    if (pragma.Ok() && pragma.Run() && schema.Ok()) rc = schema.Bind(1, std::string("schema")).Step();
    if (rc == SQLITE_ROW) version = schema.Text(0);
    why = rc == SQLITE_ROW    ? "schema " + version
          : rc == SQLITE_DONE ? "no schema version"
                              : sqlite3_errmsg(db);
  }
  if (version != "1") {
    sqlite3_close(db);
    return CATPLMFail("File " + path + " is not a PLM database (" + why + ")");
  }
  session = std::make_shared<CATPLMSessionImpl>(db, path);
  return S_OK;
}

}  // namespace

const char* const CATPLMIdentityAttributes[4] = {"PLM_ExternalID", "majorrevision", "name", "revision"};

CATPLMAttribute* CATPLMRecord::Find(const std::string& name) {
  for (CATPLMAttribute& attribute : attributes)
    if (attribute.name == name) return &attribute;
  return nullptr;
}

std::string CATPLMRecord::Value(const std::string& name) const {
  for (const CATPLMAttribute& attribute : attributes)
    if (attribute.name == name) return attribute.value;
  return std::string();
}

std::string CATPLMRecord::Title() const {
  std::string name = Value("name");
  return name.empty() ? Value("PLM_ExternalID") : name;
}

CATPLMStatement::CATPLMStatement(sqlite3* db, const std::string& sql) {
  if (db && sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
  }
}

CATPLMStatement::~CATPLMStatement() {
  sqlite3_finalize(stmt_);
}

CATPLMStatement& CATPLMStatement::Bind(int index, const std::string& value) {
  if (stmt_) sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
  return *this;
}

CATPLMStatement& CATPLMStatement::Bind(int index, sqlite3_int64 value) {
  if (stmt_) sqlite3_bind_int64(stmt_, index, value);
  return *this;
}

int CATPLMStatement::Step() {
  return stmt_ ? sqlite3_step(stmt_) : SQLITE_MISUSE;
}

bool CATPLMStatement::Run() {
  int rc;
  while ((rc = Step()) == SQLITE_ROW) {
  }
  return rc == SQLITE_DONE;
}

std::string CATPLMStatement::Text(int column) {
  const unsigned char* text = sqlite3_column_text(stmt_, column);
  if (!text) return std::string();
  return std::string(reinterpret_cast<const char*>(text),
                     static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
}

sqlite3_int64 CATPLMStatement::Int(int column) {
  return sqlite3_column_int64(stmt_, column);
}

CATPLMSessionPtr CATPLMSessionImpl::Current() {
  SessionState& state = State();
  if (state.current) return state.current;
  CATPLMSessionPtr session;
  if (FAILED(Open(ConfiguredPath(), session))) return nullptr;
  state.current = session;
  return session;
}

CATPLMSessionPtr CATPLMSessionImpl::CurrentIfOpen() {
  return State().current;
}

HRESULT CATPLMSessionImpl::Connect(const std::string& path) {
  Disconnect();
  State().configured = path;
  return Current() ? S_OK : E_FAIL;
}

void CATPLMSessionImpl::Disconnect() {
  SessionState& state = State();
  if (!state.current) return;
  state.current->Close();
  state.current.reset();
}

std::string CATPLMSessionImpl::ConfiguredPath() {
  const std::string& configured = State().configured;
  return configured.empty() ? DefaultPath() : configured;
}

CATPLMSessionImpl::~CATPLMSessionImpl() {
  Close();
}

std::string CATPLMSessionImpl::DbError() const {
  return path_ + ": " + (db_ ? sqlite3_errmsg(db_) : "the PLM session has ended");
}

HRESULT CATPLMSessionImpl::Fail(const std::string& what, CATIAdpPLMErrorReviewer* reviewer) const {
  return CATPLMFail(what + " (" + DbError() + ")", reviewer);
}

CATPLMRecord* CATPLMSessionImpl::Record(CATPLMId id) {
  if (!db_) {
    CATPLMFail("The PLM session has ended");
    return nullptr;
  }
  auto found = records_.find(id);
  if (found != records_.end()) return &found->second;

  CATPLMRecord record;
  record.id = id;
  CATPLMStatement component(db_, "SELECT type, saved, maturity FROM components WHERE id = ?1");
  int rc = component.Bind(1, id).Step();
  if (rc == SQLITE_DONE) {
    CATPLMFail("No PLM object " + std::to_string(id) + " in " + path_);
    return nullptr;
  }
  if (rc != SQLITE_ROW) {
    Fail("Cannot read PLM object " + std::to_string(id));
    return nullptr;
  }
  record.type = component.Text(0);
  record.saved = component.Int(1) != 0;
  record.maturity = component.Text(2);
  if (FAILED(ReadStoredAttributes(id, record.attributes))) return nullptr;

  CATPLMStatement link(db_, "SELECT father, child FROM instances WHERE instance = ?1");
  rc = link.Bind(1, id).Step();
  if (rc == SQLITE_ROW) {
    record.father = link.Int(0);
    record.child = link.Int(1);
  } else if (rc != SQLITE_DONE) {
    Fail("Cannot read PLM object " + std::to_string(id));
    return nullptr;
  }
  return &records_.emplace(id, std::move(record)).first->second;
}

HRESULT CATPLMSessionImpl::ListInstances(CATPLMId father, std::vector<CATPLMId>& instances) {
  if (!db_) return CATPLMFail("The PLM session has ended");
  CATPLMStatement query(db_, "SELECT instance FROM instances WHERE father = ?1 ORDER BY instance");
  query.Bind(1, father);
  std::vector<CATPLMId> found;
  int rc;
  while ((rc = query.Step()) == SQLITE_ROW) found.push_back(query.Int(0));
  if (rc != SQLITE_DONE) return Fail("Cannot read the structure of PLM object " + std::to_string(father));
  instances = std::move(found);
  return S_OK;
}

HRESULT CATPLMSessionImpl::ReadStoredAttributes(CATPLMId id, std::vector<CATPLMAttribute>& attributes) {
  if (!db_) return CATPLMFail("The PLM session has ended");
  CATPLMStatement query(
      db_, "SELECT name, type, value FROM attributes WHERE component = ?1 ORDER BY position, name");
  query.Bind(1, id);
  std::vector<CATPLMAttribute> found;
  int rc;
  while ((rc = query.Step()) == SQLITE_ROW) found.push_back({query.Text(0), query.Text(1), query.Text(2)});
  if (rc != SQLITE_DONE) return Fail("Cannot read the attributes of PLM object " + std::to_string(id));
  attributes = std::move(found);
  return S_OK;
}

bool CATPLMSessionImpl::IsKindOf(const std::string& type, const char* supertype) {
  CATIType_var kind = CATPLMFindType(type);
  CATIType_var super = CATPLMFindType(supertype);
  return kind != NULL_var && super != NULL_var && kind->IsATypeOf(super);
}

CATPLMComponentObj* CATPLMSessionImpl::Component(CATPLMId id) {
  auto found = components_.find(id);
  if (found != components_.end()) return found->second;
  if (!Record(id)) return nullptr;
  return components_[id] = new CATPLMComponentObj(shared_from_this(), id);
}

CATPLMIdentificatorObj* CATPLMSessionImpl::Identificator(CATPLMId id) {
  auto found = identificators_.find(id);
  if (found != identificators_.end()) return found->second;
  if (!Record(id)) return nullptr;
  return identificators_[id] = new CATPLMIdentificatorObj(shared_from_this(), id);
}

CATPLMEntityObj* CATPLMSessionImpl::Entity(CATPLMId id) {
  auto found = entities_.find(id);
  if (found != entities_.end()) return found->second;
  if (!Record(id)) return nullptr;
  return entities_[id] = new CATPLMEntityObj(shared_from_this(), id);
}

CATPLMOccurrenceObj* CATPLMSessionImpl::RootOccurrence(CATPLMId id) {
  auto found = roots_.find(id);
  if (found != roots_.end()) return found->second;
  CATPLMRecord* record = Record(id);
  if (!record) return nullptr;
  if (record->IsInstance()) {
    CATPLMFail("PLM object " + record->Value("PLM_ExternalID") +
               " is an instance, which has no tree of its own");
    return nullptr;
  }
  return roots_[id] = new CATPLMOccurrenceObj(shared_from_this(), id, 0, nullptr);
}

void CATPLMSessionImpl::Close() {
  if (!db_) return;
  // Taken out first: releasing an object may run code that looks at the session.
  auto roots = std::move(roots_);
  auto components = std::move(components_);
  auto identificators = std::move(identificators_);
  auto entities = std::move(entities_);
  roots_.clear();
  components_.clear();
  identificators_.clear();
  entities_.clear();
  records_.clear();
  sqlite3_close_v2(db_);
  db_ = nullptr;
  for (auto& entry : roots) {
    entry.second->Detach();
    entry.second->Release();
  }
  for (auto& entry : components) entry.second->Release();
  for (auto& entry : identificators) entry.second->Release();
  for (auto& entry : entities) entry.second->Release();
}

HRESULT CATPLMFail(const CATUnicodeString& message, CATIAdpPLMErrorReviewer* reviewer) {
  CATError::CATSetLastError(E_FAIL, message);
  if (reviewer) reviewer->AddError(message);
  return E_FAIL;
}

HRESULT CATPLMResolve(CATBaseUnknown* object, CATPLMSessionPtr& session, CATPLMRecord*& record,
                      CATIAdpPLMErrorReviewer* reviewer) {
  record = nullptr;
  if (!object) return CATPLMFail("No PLM object given", reviewer);
  CATPLMRecordHandle* handle = nullptr;
  if (FAILED(object->QueryInterface(IID_CATPLMRecordHandle, reinterpret_cast<void**>(&handle))) || !handle)
    return CATPLMFail("The object is not a PLM object", reviewer);
  session = handle->Session();
  CATPLMId id = handle->RecordId();
  handle->Release();
  if (!session || !session->IsOpen())
    return CATPLMFail("The object belongs to a PLM session that has ended", reviewer);
  record = session->Record(id);
  return record ? S_OK : CATPLMForwardLastError(reviewer);
}

HRESULT CATPLMForwardLastError(CATIAdpPLMErrorReviewer* reviewer) {
  CATError* error = reviewer ? CATError::CATGetLastError(E_FAIL) : nullptr;
  if (error) {
    reviewer->AddError(error->GetNLSMessage());
    error->Release();
  }
  return E_FAIL;
}
