#ifndef CATPLMSessionImpl_h
#define CATPLMSessionImpl_h
// Private to CATPLMServices: the process's PLM session over one SQLite file, the records of the database
// objects it has loaded (holding the changes not yet saved), and the objects it hands out. The session
// keeps one component, identificator, navigation entity and root occurrence per database object, so the
// same database object always comes back as the same objects. Main thread only, as the platform is.
#include <sqlite3.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "CATIType.h"

class CATIAdpPLMErrorReviewer;
class CATPLMComponentObj;
class CATPLMIdentificatorObj;
class CATPLMEntityObj;
class CATPLMOccurrenceObj;

typedef sqlite3_int64 CATPLMId;

struct CATPLMAttribute {
  std::string name;
  std::string type;   // String, Integer, Real, Boolean or Date
  std::string value;  // canonical text form
};

struct CATPLMRecord {
  CATPLMId id = 0;
  std::string type;
  bool saved = false;
  std::string maturity;  // empty: no lifecycle
  std::vector<CATPLMAttribute> attributes;
  bool modified = false;
  CATPLMId father = 0;  // an instance: the reference aggregating it, and the one it instantiates
  CATPLMId child = 0;
  bool expandedWithChildren = false;  // a reference: an occurrence of it listed children in this session

  bool IsInstance() const { return child != 0; }
  CATPLMAttribute* Find(const std::string& name);
  std::string Value(const std::string& name) const;
  // How the object is shown: its "name", else its "PLM_ExternalID".
  std::string Title() const;
};

// A prepared statement; values are always bound, never written into the SQL text.
class CATPLMStatement {
 public:
  CATPLMStatement(sqlite3* db, const std::string& sql);
  ~CATPLMStatement();
  CATPLMStatement(const CATPLMStatement&) = delete;
  CATPLMStatement& operator=(const CATPLMStatement&) = delete;

  bool Ok() const { return stmt_ != nullptr; }
  CATPLMStatement& Bind(int index, const std::string& value);
  CATPLMStatement& Bind(int index, sqlite3_int64 value);
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int Step();
  // Steps to the end; true when it got there without error.
  bool Run();
  std::string Text(int column);
  sqlite3_int64 Int(int column);

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

class CATPLMSessionImpl : public std::enable_shared_from_this<CATPLMSessionImpl> {
 public:
  // The open session, opening the configured database on first use; null, with the last error set, when
  // it cannot be opened.
  static std::shared_ptr<CATPLMSessionImpl> Current();
  static std::shared_ptr<CATPLMSessionImpl> CurrentIfOpen();
  static HRESULT Connect(const std::string& path);
  static void Disconnect();
  static std::string ConfiguredPath();

  explicit CATPLMSessionImpl(sqlite3* db, const std::string& path) : db_(db), path_(path) {}
  ~CATPLMSessionImpl();
  CATPLMSessionImpl(const CATPLMSessionImpl&) = delete;
  CATPLMSessionImpl& operator=(const CATPLMSessionImpl&) = delete;

  bool IsOpen() const { return db_ != nullptr; }
  sqlite3* Db() const { return db_; }
  const std::string& Path() const { return path_; }
  // "<file>: <SQLite's message>", for error texts.
  std::string DbError() const;
  HRESULT Fail(const std::string& what, CATIAdpPLMErrorReviewer* reviewer = nullptr) const;

  // The loaded record (loading it on first use); null with the last error set when the object does not
  // exist or the database cannot be read.
  CATPLMRecord* Record(CATPLMId id);
  int LoadedCount() const { return static_cast<int>(records_.size()); }
  // The instances a reference aggregates, in creation order.
  HRESULT ListInstances(CATPLMId father, std::vector<CATPLMId>& instances);
  // The attributes as stored, without the session's changes.
  HRESULT ReadStoredAttributes(CATPLMId id, std::vector<CATPLMAttribute>& attributes);
  // Whether a record's type is a kind of the given PLM type (false without a type dictionary).
  static bool IsKindOf(const std::string& type, const char* supertype);

  // The session's objects for a database object (borrowed: the session holds them); null with the last
  // error set when the object cannot be loaded.
  CATPLMComponentObj* Component(CATPLMId id);
  CATPLMIdentificatorObj* Identificator(CATPLMId id);
  CATPLMEntityObj* Entity(CATPLMId id);
  CATPLMOccurrenceObj* RootOccurrence(CATPLMId id);

  // Releases the objects, forgets the changes not saved and closes the database.
  void Close();

 private:
  sqlite3* db_;
  std::string path_;
  std::map<CATPLMId, CATPLMRecord> records_;
  std::map<CATPLMId, CATPLMComponentObj*> components_;
  std::map<CATPLMId, CATPLMIdentificatorObj*> identificators_;
  std::map<CATPLMId, CATPLMEntityObj*> entities_;
  std::map<CATPLMId, CATPLMOccurrenceObj*> roots_;
};

typedef std::shared_ptr<CATPLMSessionImpl> CATPLMSessionPtr;

// Sets the last error (and tells the reviewer); returns E_FAIL.
HRESULT CATPLMFail(const CATUnicodeString& message, CATIAdpPLMErrorReviewer* reviewer = nullptr);
// Tells the reviewer the last error; returns E_FAIL.
HRESULT CATPLMForwardLastError(CATIAdpPLMErrorReviewer* reviewer);
// Whether an injected failure applies to this call of the operation, and its message.
bool CATPLMInjectedFailure(const char* operation, CATUnicodeString& message);
// The record behind a component, identificator, occurrence or navigation entity of the open session.
HRESULT CATPLMResolve(CATBaseUnknown* object, CATPLMSessionPtr& session, CATPLMRecord*& record,
                      CATIAdpPLMErrorReviewer* reviewer = nullptr);
// The PLM type of that name in the type dictionary; null with the last error set.
CATIType_var CATPLMFindType(const std::string& name);
// The value type of a knowledge attribute ("String", ...); null for another name.
CATIType_var CATPLMValueType(const std::string& name);
// Attribute names that make up the identifying set of an object.
extern const char* const CATPLMIdentityAttributes[4];

#endif
