// The demo database.
#include "CATPLMSeed.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "CATPLMSessionImpl.h"
#include "CATPLMValues.h"

namespace {

const char* const kSchema =
    "CREATE TABLE plm_info(key TEXT PRIMARY KEY, value TEXT NOT NULL);"
    "CREATE TABLE components(id INTEGER PRIMARY KEY, type TEXT NOT NULL,"
    "  saved INTEGER NOT NULL CHECK(saved IN (0, 1)), maturity TEXT);"
    "CREATE TABLE attributes(component INTEGER NOT NULL REFERENCES components(id) ON DELETE CASCADE,"
    "  position INTEGER NOT NULL, name TEXT NOT NULL,"
    "  type TEXT NOT NULL CHECK(type IN ('String', 'Integer', 'Real', 'Boolean', 'Date')),"
    "  value TEXT NOT NULL, PRIMARY KEY(component, name));"
    "CREATE INDEX attributes_by_value ON attributes(name, value);"
    "CREATE TABLE instances(instance INTEGER PRIMARY KEY REFERENCES components(id) ON DELETE CASCADE,"
    "  father INTEGER NOT NULL REFERENCES components(id), child INTEGER NOT NULL REFERENCES components(id));"
    "CREATE INDEX instances_by_father ON instances(father, instance);"
    "CREATE TABLE transitions(state TEXT NOT NULL, name TEXT NOT NULL, target TEXT NOT NULL,"
    "  PRIMARY KEY(state, name));"
    "CREATE TABLE coex_mappings(component INTEGER NOT NULL REFERENCES components(id) ON DELETE CASCADE,"
    "  context TEXT NOT NULL, master TEXT NOT NULL CHECK(master IN ('V5', 'V6')),"
    "  PRIMARY KEY(component, context));";

struct Attribute {
  const char* name;
  const char* type;
  std::string value;
};

// Writes objects with bound values; the first failure is kept and stops the rest.
class Writer {
 public:
  explicit Writer(sqlite3* db) : db_(db) {}
  const std::string& Error() const { return error_; }

  void Info(const char* key, const char* value) {
    CATPLMStatement insert(db_, "INSERT INTO plm_info(key, value) VALUES(?1, ?2)");
    Run(insert.Bind(1, std::string(key)).Bind(2, std::string(value)));
  }
  // The side that masters an object in a coexistence context.
  void Mapping(CATPLMId component, const char* context, const char* master) {
    CATPLMStatement insert(db_, "INSERT INTO coex_mappings(component, context, master) VALUES(?1, ?2, ?3)");
    Run(insert.Bind(1, component).Bind(2, std::string(context)).Bind(3, std::string(master)));
  }
  void Transition(const char* state, const char* name, const char* target) {
    CATPLMStatement insert(db_, "INSERT INTO transitions(state, name, target) VALUES(?1, ?2, ?3)");
    Run(insert.Bind(1, std::string(state)).Bind(2, std::string(name)).Bind(3, std::string(target)));
  }
  // A reference, representation, bookmark or folder: identity, title, description and owner, then more.
  CATPLMId Reference(const char* type, const char* maturity, const char* externalId, const char* revision,
                     int minor, const char* name, const char* description, std::vector<Attribute> more = {},
                     bool saved = true) {
    std::vector<Attribute> all = {{"PLM_ExternalID", "String", externalId},
                                  {"majorrevision", "String", revision},
                                  {"revision", "String", std::string(revision) + "." + std::to_string(minor)},
                                  {"name", "String", name},
                                  {"description", "String", description},
                                  {"owner", "String", "jsmith"}};
    all.insert(all.end(), more.begin(), more.end());
    return Object(type, saved, maturity, all);
  }
  CATPLMId Part(const char* maturity, const char* externalId, const char* revision, int minor,
                const char* name, const char* material, const char* mass, const char* leadTimeDays,
                bool standard, const char* releaseDate = nullptr, bool saved = true) {
    std::vector<Attribute> more = {{"Material", "String", material},
                                   {"Mass", "Real", mass},
                                   {"LeadTimeDays", "Integer", leadTimeDays},
                                   {"StandardPart", "Boolean", standard ? "true" : "false"}};
    if (releaseDate) more.push_back({"ReleaseDate", "Date", releaseDate});
    return Reference("PRDPart", maturity, externalId, revision, minor, name,
                     (std::string(name) + " of the city bicycle").c_str(), more, saved);
  }
  // An instance of child inside father, named as the platform names them: the child's id and a number.
  void Instance(const char* type, CATPLMId father, CATPLMId child, const char* externalId,
                bool saved = true) {
    CATPLMId instance = Object(type, saved, nullptr, {{"PLM_ExternalID", "String", externalId}});
    CATPLMStatement link(db_, "INSERT INTO instances(instance, father, child) VALUES(?1, ?2, ?3)");
    if (instance) Run(link.Bind(1, instance).Bind(2, father).Bind(3, child));
  }

 private:
  CATPLMId Object(const char* type, bool saved, const char* maturity,
                  const std::vector<Attribute>& attributes) {
    CATPLMStatement insert(db_, "INSERT INTO components(type, saved, maturity) VALUES(?1, ?2, ?3)");
    insert.Bind(1, std::string(type)).Bind(2, sqlite3_int64{saved ? 1 : 0});
    if (maturity) insert.Bind(3, std::string(maturity));
    if (!Run(insert)) return 0;
    CATPLMId id = sqlite3_last_insert_rowid(db_);
    sqlite3_int64 position = 0;
    for (const Attribute& attribute : attributes) {
      std::string value;
      if (!CATPLMCanonicalValue(attribute.type, attribute.value, value) && error_.empty())
        error_ = std::string("invalid demo value for ") + attribute.name;
      CATPLMStatement add(
          db_, "INSERT INTO attributes(component, position, name, type, value) VALUES(?1, ?2, ?3, ?4, ?5)");
      add.Bind(1, id)
          .Bind(2, ++position)
          .Bind(3, std::string(attribute.name))
          .Bind(4, std::string(attribute.type));
      if (!Run(add.Bind(5, value))) return 0;
    }
    return id;
  }
  bool Run(CATPLMStatement& statement) {
    if (error_.empty() && !statement.Run()) error_ = sqlite3_errmsg(db_);
    return error_.empty();
  }

  sqlite3* db_;
  std::string error_;
};

bool Seed(Writer& w) {
  w.Info("schema", "1");
  w.Info("repository", "PLM1");
  w.Info("user", "jsmith");
  w.Info("organization", "Company Name");
  w.Info("project", "City Bicycle");
  w.Info("role", "VPLMCreator");
  w.Transition("IN_WORK", "ToFreeze", "FROZEN");
  w.Transition("FROZEN", "ToRelease", "RELEASED");
  w.Transition("FROZEN", "BackToInWork", "IN_WORK");
  w.Transition("RELEASED", "ToObsolete", "OBSOLETE");

  CATPLMId bicycle =
      w.Reference("VPMReference", "IN_WORK", "prd-00012340", "A", 2, "City Bicycle", "Complete city bicycle");
  CATPLMId front = w.Reference("PRDAssembly", "IN_WORK", "prd-00012341", "A", 1, "Front Wheel Assembly",
                               "Front wheel with rim, tire and hub");
  CATPLMId rear = w.Reference("PRDAssembly", "FROZEN", "prd-00012342", "A", 1, "Rear Wheel Assembly",
                              "Rear wheel with rim, tire and hub");
  CATPLMId rim = w.Part("RELEASED", "prd-00012343", "A", 3, "Rim 622x19", "Aluminium 6061", "0.58", "21",
                        false, "2024-03-15T09:30:00Z");
  w.Part("RELEASED", "prd-00012345", "A", 2, "Tire 37-622", "Rubber", "0.62", "10", true,
         "2023-11-02T14:05:00Z");
  CATPLMId tire = w.Part("IN_WORK", "prd-00012345", "B", 1, "Tire 37-622", "Rubber", "0.6", "10", true);
  CATPLMId hub = w.Part("FROZEN", "prd-00012346", "A", 1, "Hub", "Steel", "0.35", "30", false);
  CATPLMId frame =
      w.Part("IN_WORK", "prd-00012347", "A", 4, "Frame 56 cm", "Aluminium 7005", "1.85", "45", false);
  // Added to the bicycle in the session and not saved yet, like its instance.
  CATPLMId bell =
      w.Part("IN_WORK", "prd-00012399", "A", 1, "Bell", "Brass", "0.05", "7", true, nullptr, false);
  CATPLMId rimShape =
      w.Reference("3DShape", "RELEASED", "3ds-00012343", "A", 1, "Rim 622x19", "Rim geometry");
  CATPLMId frameShape =
      w.Reference("3DShape", "IN_WORK", "3ds-00012347", "A", 2, "Frame 56 cm", "Frame geometry");
  CATPLMId frameDrawing = w.Reference("Drawing", "IN_WORK", "drw-00012347", "A", 1, "Frame 56 cm Drawing",
                                      "Manufacturing drawing");
  w.Reference("Workspace", "IN_WORK", "wsp-00000101", "A", 1, "City Bicycle Project", "Work in progress");
  w.Reference("ENOFLD_FolderRootReference", "IN_WORK", "fld-00000201", "A", 1, "Standard Parts",
              "Purchased and standard parts");

  w.Instance("VPMInstance", bicycle, front, "prd-00012341.1");
  w.Instance("VPMInstance", bicycle, rear, "prd-00012342.1");
  w.Instance("VPMInstance", bicycle, frame, "prd-00012347.1");
  w.Instance("VPMInstance", bicycle, bell, "prd-00012399.1", false);
  w.Instance("VPMInstance", front, rim, "prd-00012343.1");
  w.Instance("VPMInstance", front, tire, "prd-00012345.1");
  w.Instance("VPMInstance", front, hub, "prd-00012346.1");
  w.Instance("VPMInstance", rear, rim, "prd-00012343.2");
  w.Instance("VPMInstance", rear, tire, "prd-00012345.2");
  w.Instance("VPMInstance", rear, hub, "prd-00012346.2");
  w.Instance("VPMRepInstance", rim, rimShape, "3ds-00012343.1");
  w.Instance("VPMRepInstance", frame, frameShape, "3ds-00012347.1");
  w.Instance("VPMRepInstance", frame, frameDrawing, "drw-00012347.1");

  // The bicycle lives on in a V5 plant: its wheels are still mastered there.
  w.Mapping(bicycle, "COEXISTENCE", "V6");
  w.Mapping(front, "COEXISTENCE", "V5");
  w.Mapping(rear, "COEXISTENCE", "V5");
  w.Mapping(rim, "COEXISTENCE", "V5");
  w.Mapping(rimShape, "COEXISTENCE", "V5");
  w.Mapping(frame, "COEXISTENCE", "V6");
  w.Mapping(bicycle, "V5Plant", "V5");
  w.Mapping(frame, "V5Plant", "V5");
  return w.Error().empty();
}

}  // namespace

HRESULT CATPLMSeed::CreateDemoDatabase(const char* iPath, CATBoolean iReplace) {
  if (!iPath || !*iPath) return CATPLMFail("No file named for the demo PLM database");
  std::string path = iPath;
  struct stat info {};
  if (!iReplace && stat(iPath, &info) == 0) return CATPLMFail("File " + path + " exists already");
  // Written beside the target and renamed over it, so the target is a complete database or untouched.
  std::string temporary = path + ".seed-" + std::to_string(getpid());
  std::remove(temporary.c_str());
  sqlite3* db = nullptr;
  std::string error;
  if (sqlite3_open_v2(temporary.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    error = db ? sqlite3_errmsg(db) : "out of memory";
  } else if (sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK ||
             sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
    error = sqlite3_errmsg(db);
  } else {
    Writer writer(db);
    if (!Seed(writer))
      error = writer.Error();
    else if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
      error = sqlite3_errmsg(db);
  }
  if (sqlite3_close(db) != SQLITE_OK && error.empty()) error = "cannot close the new database";
  if (error.empty() && std::rename(temporary.c_str(), iPath) != 0) error = "cannot rename it to " + path;
  if (error.empty()) return S_OK;
  std::remove(temporary.c_str());
  return CATPLMFail("Cannot create the demo PLM database " + path + ": " + error);
}
