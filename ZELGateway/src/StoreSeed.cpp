// Every value of the demo data set is fixed, so seeding twice gives the same store (password salts aside).
#include "zelgw/StoreSeed.h"

#include <algorithm>
#include <cstdint>
#include <future>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "zelgw/ObjectId.h"
#include "zelgw/Password.h"

namespace zelgw {
namespace {

const DemoAccount kDemoAccounts[] = {
    {"demo", "demo", "Engineering", "Designer"},
    {"designer", "designer", "Engineering", "Designer"},
    {"viewer", "viewer", "Engineering", "Viewer"},
    {"admin", "admin", "dba", "DBA"},
};

struct SeedAttribute {
  const char* name;
  const char* label;
};

const SeedAttribute kCommonQueryAttributes[] = {
    {"item_id", "Item ID"}, {"object_name", "Name"}, {"object_desc", "Description"}};

struct SeedType {
  const char* name;
  const char* label;
  std::vector<SeedAttribute> extraQueryAttributes;
};

const SeedType kTypes[] = {
    {"Item", "Item", {{"owning_user", "Owner"}}},
    {"Part", "Part", {{"material", "Material"}, {"owning_user", "Owner"}}},
    {"Document", "Document", {{"document_type", "Document Type"}, {"owning_user", "Owner"}}},
};

struct SeedItem {
  const char* itemId;
  const char* type;
  const char* name;
  const char* description;
  const char* owner;
  const char* material;  // parts only
  const char* mass;      // parts only, kilograms
};

// Every item is owned at the Munich site except these, for which the PDM records no owning site.
const char* const kItemsWithoutOwningSite[] = {"prd-00012346"};

const SeedItem kItems[] = {
    {"ZEL-000100", "Part", "Bicycle", "City bicycle, complete assembly", "demo", "", "14.2"},
    {"ZEL-000110", "Part", "Frame", "Welded frame, size M", "demo", "Aluminium 6061", "1.9"},
    {"ZEL-000120", "Part", "Wheel", "28 inch wheel, spoked", "designer", "", "1.1"},
    {"ZEL-000121", "Part", "Rim", "28 inch rim", "designer", "Aluminium 6063", "0.55"},
    {"ZEL-000122", "Part", "Spoke", "Spoke 2.0 x 292 mm", "designer", "Stainless steel", "0.007"},
    {"ZEL-000130", "Part", "Handlebar", "Riser handlebar 680 mm", "demo", "Aluminium 7075", "0.32"},
    {"ZEL-000200", "Document", "Assembly instructions", "Assembly instructions of the city bicycle", "demo",
     "", ""},
    {"ZEL-000300", "Item", "Bicycle family", "Family of city bicycles", "admin", "", ""},
    // The client's demo product as the PDM knows it: part numbers are the components' external ids.
    {"prd-00012340", "Part", "City Bicycle", "Complete city bicycle", "jsmith", "", ""},
    {"prd-00012341", "Part", "Front Wheel Assembly", "Front wheel with rim, tire and hub", "jsmith", "", ""},
    {"prd-00012342", "Part", "Rear Wheel Assembly", "Rear wheel with rim, tire and hub", "jsmith", "", ""},
    {"prd-00012343", "Part", "Rim 622x19", "Rim 622x19 of the city bicycle", "jsmith", "Aluminium 6061",
     "0.58"},
    {"prd-00012345", "Part", "Tire 37-622", "Tire 37-622 of the city bicycle", "jsmith", "Rubber", "0.6"},
    {"prd-00012346", "Part", "Hub", "Hub of the city bicycle", "jsmith", "Steel", "0.35"},
    {"prd-00012347", "Part", "Frame 56 cm", "Frame 56 cm of the city bicycle", "jsmith", "Aluminium 7005",
     "1.85"},
    // Representations of the demo product the PDM keeps as plain items; their object ids are odd on purpose.
    {"3ds-00012343", "Item", "Geometry 622x19", "Geometry of the rim 622x19", "jsmith", "", ""},
    {"drw-00012347", "Item", "Drawing 56 cm", "Manufacturing drawing of the frame", "jsmith", "", ""},
};

struct SeedRevision {
  const char* itemId;
  const char* revision;
  const char* status;
  const char* created;
  const char* released;  // empty while in work
};

const SeedRevision kRevisions[] = {
    {"ZEL-000100", "A", "Released", "2024-01-15T08:00:00Z", "2024-02-01T12:00:00Z"},
    {"ZEL-000100", "B", "In Work", "2024-02-20T10:30:00Z", ""},
    {"ZEL-000110", "A", "Released", "2024-01-10T09:00:00Z", "2024-01-30T15:00:00Z"},
    {"ZEL-000120", "A", "Released", "2024-01-11T09:00:00Z", "2024-01-30T15:05:00Z"},
    {"ZEL-000120", "B", "In Work", "2024-02-21T11:00:00Z", ""},
    {"ZEL-000121", "A", "Released", "2024-01-11T09:30:00Z", "2024-01-30T15:10:00Z"},
    {"ZEL-000122", "A", "Released", "2024-01-11T09:45:00Z", "2024-01-30T15:15:00Z"},
    {"ZEL-000130", "A", "Released", "2024-01-12T14:00:00Z", "2024-01-30T15:20:00Z"},
    {"ZEL-000200", "A", "Released", "2024-01-20T13:00:00Z", "2024-02-01T12:00:00Z"},
    {"ZEL-000300", "A", "In Work", "2024-01-05T08:00:00Z", ""},
    {"prd-00012340", "A", "In Work", "2024-03-01T08:00:00Z", ""},
    {"prd-00012341", "A", "In Work", "2024-03-01T08:10:00Z", ""},
    {"prd-00012342", "A", "In Work", "2024-03-01T08:20:00Z", ""},
    {"prd-00012343", "A", "Released", "2024-02-01T09:00:00Z", "2024-03-15T09:30:00Z"},
    {"prd-00012345", "A", "Released", "2023-10-20T10:00:00Z", "2023-11-02T14:05:00Z"},
    {"prd-00012345", "B", "In Work", "2024-02-10T10:00:00Z", ""},
    {"prd-00012346", "A", "In Work", "2024-02-05T11:00:00Z", ""},
    {"prd-00012347", "A", "In Work", "2024-02-06T12:00:00Z", ""},
    {"3ds-00012343", "A", "Released", "2024-02-01T09:05:00Z", "2024-03-15T09:35:00Z"},
    {"drw-00012347", "A", "In Work", "2024-02-06T12:10:00Z", ""},
};

// Object ids as another PDM hands them out, instead of the usual digest: with a blank, '#' and a quote, and
// with a line break, which clients must not carry into addresses or files unchecked.
const std::pair<const char*, const char*> kObjectIdOverrides[] = {
    {"3ds-00012343/A", "RIM 622#A \"geometry\""},
    {"drw-00012347/A", "DRW-12347\r\n-o=other"},
};

std::string SeedObjectId(const char* itemId, const char* revision) {
  const std::string key = std::string(itemId) + "/" + revision;
  for (const auto& [seeded, obid] : kObjectIdOverrides)
    if (key == seeded) return obid;
  return MakeObjectId(itemId, revision);
}

struct SeedLine {
  const char* parent;  // "ITEM/REV"
  const char* child;
  double quantity;
  int position;
  const char* instanceName;
};

const SeedLine kLines[] = {
    {"ZEL-000100/A", "ZEL-000110/A", 1, 10, "Frame.1"},
    {"ZEL-000100/A", "ZEL-000120/A", 1, 20, "Wheel.1"},
    {"ZEL-000100/A", "ZEL-000120/A", 1, 30, "Wheel.2"},
    {"ZEL-000100/A", "ZEL-000130/A", 1, 40, "Handlebar.1"},
    {"ZEL-000100/B", "ZEL-000110/A", 1, 10, "Frame.1"},
    {"ZEL-000100/B", "ZEL-000120/B", 1, 20, "Wheel.1"},
    {"ZEL-000100/B", "ZEL-000120/B", 1, 30, "Wheel.2"},
    {"ZEL-000100/B", "ZEL-000130/A", 1, 40, "Handlebar.1"},
    {"ZEL-000120/A", "ZEL-000121/A", 1, 10, "Rim.1"},
    {"ZEL-000120/A", "ZEL-000122/A", 36, 20, "Spoke.1"},
    {"ZEL-000120/B", "ZEL-000121/A", 1, 10, "Rim.1"},
    {"ZEL-000120/B", "ZEL-000122/A", 32, 20, "Spoke.1"},
    // Instance names are the instances' external ids, by which the client tells sibling occurrences apart.
    // The client's demo bell was never saved in 3DEXPERIENCE, so the PDM has never seen it.
    {"prd-00012340/A", "prd-00012341/A", 1, 10, "prd-00012341.1"},
    {"prd-00012340/A", "prd-00012342/A", 1, 20, "prd-00012342.1"},
    {"prd-00012340/A", "prd-00012347/A", 1, 30, "prd-00012347.1"},
    {"prd-00012341/A", "prd-00012343/A", 1, 10, "prd-00012343.1"},
    {"prd-00012341/A", "prd-00012345/B", 1, 20, "prd-00012345.1"},
    {"prd-00012341/A", "prd-00012346/A", 1, 30, "prd-00012346.1"},
    {"prd-00012342/A", "prd-00012343/A", 1, 10, "prd-00012343.2"},
    {"prd-00012342/A", "prd-00012345/B", 1, 20, "prd-00012345.2"},
    {"prd-00012342/A", "prd-00012346/A", 1, 30, "prd-00012346.2"},
};

struct SeedNamedStructure {
  const char* name;
  const char* root;
  // Members as "PARENT ITEM/REV:instance name".
  std::vector<const char*> members;
};

const SeedNamedStructure kNamedStructures[] = {
    {"Frame only", "ZEL-000100/A", {"ZEL-000100/A:Frame.1"}},
    {"Wheels",
     "ZEL-000100/A",
     {"ZEL-000100/A:Wheel.1", "ZEL-000100/A:Wheel.2", "ZEL-000120/A:Rim.1", "ZEL-000120/A:Spoke.1"}},
    {"Without handlebar",
     "ZEL-000100/B",
     {"ZEL-000100/B:Frame.1", "ZEL-000100/B:Wheel.1", "ZEL-000100/B:Wheel.2", "ZEL-000120/B:Rim.1",
      "ZEL-000120/B:Spoke.1"}},
    {"Complete",
     "prd-00012340/A",
     {"prd-00012340/A:prd-00012341.1", "prd-00012340/A:prd-00012342.1", "prd-00012340/A:prd-00012347.1",
      "prd-00012341/A:prd-00012343.1", "prd-00012341/A:prd-00012345.1", "prd-00012341/A:prd-00012346.1",
      "prd-00012342/A:prd-00012343.2", "prd-00012342/A:prd-00012345.2", "prd-00012342/A:prd-00012346.2"}},
    // Leaves out the frame, and the hub of the front wheel one level down.
    {"Wheels without front hub",
     "prd-00012340/A",
     {"prd-00012340/A:prd-00012341.1", "prd-00012340/A:prd-00012342.1", "prd-00012341/A:prd-00012343.1",
      "prd-00012341/A:prd-00012345.1", "prd-00012342/A:prd-00012343.2", "prd-00012342/A:prd-00012345.2",
      "prd-00012342/A:prd-00012346.2"}},
};

struct SeedProcess {
  const char* user;
  const char* activity;
  const char* object;
  const char* state;
  const char* description;
  const char* started;
  const char* finished;  // empty while running
  const char* message;
};

const SeedProcess kProcesses[] = {
    {"demo", "Transfer to 3DEXPERIENCE", "ZEL-000100/A", "Finished", "Bicycle A with 4 components",
     "2024-03-01T09:00:00Z", "2024-03-01T09:02:10Z", ""},
    {"demo", "Send to PDM", "ZEL-000120/B", "Failed", "Wheel B", "2024-03-02T14:30:00Z",
     "2024-03-02T14:30:40Z", "ZEL-000120/B is checked out by designer."},
    {"designer", "Get last version", "ZEL-000110/A", "Running", "Frame A", "2024-03-03T08:15:00Z", "", ""},
};

struct SeedSetting {
  const char* function;
  const char* key;
  const char* value;
};

const SeedSetting kSettings[] = {
    {"GetSettingsInfo", "UseBookmark", "false"},
    {"GetSettingsInfo", "Show3DXSendConfigurationEnabled", "true"},
    {"GetSendTo3DXOptions", "RevisionRules", "Latest Working@EOL@Latest Released@EOL@Precise Only"},
    {"GetSendTo3DXOptions", "DefaultRevisionRule", "Latest Working"},
    {"GetSendTo3DXOptions", "Variants", "Standard@EOL@Sport"},
    {"GetSendTo3DXOptions", "ShowPdmSendConfigurationEnabled", "true"},
    {"GetPartnumber", "Prefix", "ZEL-"},
};

struct SeedCounter {
  const char* prefix;
  std::int64_t next;
  int width;
};

const SeedCounter kCounters[] = {{"ZEL-", 1000, 6}, {"DOC-", 1, 6}};

// Children before parents, so the foreign keys hold at every step.
const char* const kTablesToEmpty[] = {
    "named_structure_members",
    "named_structures",
    "structure_lines",
    "revision_attributes",
    "revisions",
    "items",
    "query_attributes",
    "item_types",
    "processes",
    "settings",
    "part_number_counters",
    "users",
};

std::int64_t Insert(Connection& connection, const char* sql, const auto&... values) {
  connection.Prepare(sql).BindAll(values...).Run();
  return connection.LastInsertId();
}

}  // namespace

std::span<const DemoAccount> DemoAccounts() {
  return kDemoAccounts;
}

std::vector<SeedUser> HashDemoAccounts() {
  std::vector<std::future<std::string>> hashes;
  for (const DemoAccount& account : kDemoAccounts) {
    hashes.push_back(std::async(std::launch::async, [&account] { return HashPassword(account.password); }));
  }
  std::vector<SeedUser> users;
  for (std::size_t i = 0; i < hashes.size(); ++i) {
    const DemoAccount& account = kDemoAccounts[i];
    users.push_back({account.name, hashes[i].get(), account.group, account.role});
  }
  return users;
}

void SeedDemoData(Connection& connection, const std::vector<SeedUser>& users) {
  for (const char* table : kTablesToEmpty) connection.Execute((std::string("DELETE FROM ") + table).c_str());

  for (const SeedUser& user : users) {
    Insert(connection, "INSERT INTO users (name, password_hash, group_name, role) VALUES (?1, ?2, ?3, ?4)",
           user.name, user.passwordHash, user.group, user.role);
  }

  std::map<std::string, std::int64_t> typeIds;
  int typePosition = 0;
  for (const SeedType& type : kTypes) {
    std::int64_t typeId =
        Insert(connection, "INSERT INTO item_types (name, label, position) VALUES (?1, ?2, ?3)", type.name,
               type.label, ++typePosition);
    typeIds[type.name] = typeId;
    std::vector<SeedAttribute> attributes(std::begin(kCommonQueryAttributes),
                                          std::end(kCommonQueryAttributes));
    attributes.insert(attributes.end(), type.extraQueryAttributes.begin(), type.extraQueryAttributes.end());
    int position = 0;
    for (const SeedAttribute& attribute : attributes) {
      Insert(connection,
             "INSERT INTO query_attributes (item_type_id, name, label, position) VALUES (?1, ?2, ?3, ?4)",
             typeId, attribute.name, attribute.label, ++position);
    }
  }

  std::map<std::string, std::int64_t> itemIds;
  std::map<std::string, const SeedItem*> items;
  for (const SeedItem& item : kItems) {
    itemIds[item.itemId] = Insert(connection,
                                  "INSERT INTO items (item_id, item_type_id, name, description, owner, "
                                  "owning_site, created) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
                                  item.itemId, typeIds.at(item.type), item.name, item.description, item.owner,
                                  std::ranges::find(kItemsWithoutOwningSite, std::string_view(item.itemId)) ==
                                          std::end(kItemsWithoutOwningSite)
                                      ? "Munich"
                                      : "",
                                  "2024-01-05T08:00:00Z");
    items[item.itemId] = &item;
  }

  std::map<std::string, std::int64_t> revisionIds;
  for (const SeedRevision& revision : kRevisions) {
    std::string modified = *revision.released ? revision.released : revision.created;
    Statement& insert = connection.Prepare(
        "INSERT INTO revisions (item_id, revision, obid, status, created, modified, released) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    insert.BindAll(itemIds.at(revision.itemId), revision.revision,
                   SeedObjectId(revision.itemId, revision.revision), revision.status, revision.created,
                   modified);
    if (*revision.released) {
      insert.Bind(7, revision.released);
    } else {
      insert.Bind(7, nullptr);
    }
    insert.Run();
    std::int64_t revisionId = connection.LastInsertId();
    revisionIds[std::string(revision.itemId) + "/" + revision.revision] = revisionId;

    const SeedItem& item = *items.at(revision.itemId);
    struct Value {
      const char* group;
      const char* name;
      const char* label;
      std::string value;
    };
    std::vector<Value> values = {
        {"General", "item_id", "Item ID", item.itemId},
        {"General", "item_revision_id", "Revision", revision.revision},
        {"General", "object_name", "Name", item.name},
        {"General", "object_desc", "Description", item.description},
        {"General", "owning_user", "Owner", item.owner},
        {"General", "release_status", "Release Status", revision.status},
    };
    if (std::string_view(item.type) == "Part") {
      values.push_back({"Part", "material", "Material", item.material});
      values.push_back({"Part", "mass", "Mass (kg)", item.mass});
    } else if (std::string_view(item.type) == "Document") {
      values.push_back({"Document", "document_type", "Document Type", "Instruction"});
    }
    int position = 0;
    for (const Value& value : values) {
      Insert(connection,
             "INSERT INTO revision_attributes (revision_id, group_name, name, label, value, position) "
             "VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
             revisionId, value.group, value.name, value.label, value.value, ++position);
    }
  }

  std::map<std::string, std::int64_t> lineIds;
  for (const SeedLine& line : kLines) {
    lineIds[std::string(line.parent) + ":" + line.instanceName] =
        Insert(connection,
               "INSERT INTO structure_lines (parent_revision_id, child_revision_id, quantity, position, "
               "instance_name) VALUES (?1, ?2, ?3, ?4, ?5)",
               revisionIds.at(line.parent), revisionIds.at(line.child), line.quantity, line.position,
               line.instanceName);
  }

  for (const SeedNamedStructure& named : kNamedStructures) {
    std::int64_t namedId =
        Insert(connection, "INSERT INTO named_structures (name, root_revision_id) VALUES (?1, ?2)",
               named.name, revisionIds.at(named.root));
    for (const char* member : named.members) {
      Insert(connection,
             "INSERT INTO named_structure_members (named_structure_id, structure_line_id) VALUES (?1, ?2)",
             namedId, lineIds.at(member));
    }
  }

  for (const SeedProcess& process : kProcesses) {
    Statement& insert = connection.Prepare(
        "INSERT INTO processes (user_name, activity, object, state, description, started, finished, message) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    insert.BindAll(process.user, process.activity, process.object, process.state, process.description,
                   process.started);
    if (*process.finished) {
      insert.Bind(7, process.finished);
    } else {
      insert.Bind(7, nullptr);
    }
    insert.Bind(8, process.message).Run();
  }

  for (const SeedSetting& setting : kSettings) {
    Insert(connection, "INSERT INTO settings (function, key, value) VALUES (?1, ?2, ?3)", setting.function,
           setting.key, setting.value);
  }
  for (const SeedCounter& counter : kCounters) {
    Insert(connection, "INSERT INTO part_number_counters (prefix, next_value, width) VALUES (?1, ?2, ?3)",
           counter.prefix, counter.next, counter.width);
  }
}

}  // namespace zelgw
