// PLM batches: the input file, the client monitor and publisher, and the stand-in batch server that runs
// "CoexistenceAdministration" on the coexistence mappings of the session's database.
#include "CATPLMBatch.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <pugixml.hpp>
#include <set>
#include <sstream>

#include "CATBatClientMonitorCAA.h"
#include "CATEventLoopInputs.h"
#include "CATEventSubscriber.h"
#include "CATIAdpPLMIdentificator.h"
#include "CATPLMCoexistence.h"
#include "CATPLMSessionImpl.h"

namespace {

const char* const kCoexBatch = "CoexistenceAdministration";
const char* const kReportDirectory = "PLMBATCH_Report_Directory";
// An input file is ours, but it lies in a shared directory: bound what is read of it.
constexpr std::streamsize kMaxInputFile = 16 * 1024 * 1024;
constexpr size_t kMaxObjects = 100000;
constexpr size_t kMaxParameterValues = 1000;
// What one batch may touch through propagation, so a corrupt structure cannot run it for ever.
constexpr size_t kMaxTargets = 1000000;
constexpr int kServerWaitLimitMs = 10 * 60 * 1000;

const char* const kMappingsTable =
    "CREATE TABLE IF NOT EXISTS coex_mappings("
    "component INTEGER NOT NULL REFERENCES components(id) ON DELETE CASCADE, context TEXT NOT NULL, "
    "master TEXT NOT NULL CHECK(master IN ('V5', 'V6')), PRIMARY KEY(component, context))";

// Text that survives an XML file: no control characters but tab, line feed and carriage return.
bool IsXmlText(const std::string& text) {
  for (unsigned char c : text)
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
  return true;
}

std::string HtmlEscaped(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        if (c < 0x20 && c != '\t') {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", c);
          out += hex;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

struct Batch {
  CATBatchInfoCAA info;
  bool returnCodeWritten = false;
};

struct Server {
  std::vector<Batch> batches;
  std::deque<std::string> pendingEnds;
  int pipe[2] = {-1, -1};
  unsigned long input = 0;
  int submitted = 0;
};

Server& TheServer() {
  static Server* server = new Server;
  return *server;
}

Batch* FindBatch(const char* id) {
  if (!id) return nullptr;
  for (Batch& batch : TheServer().batches)
    if (batch.info.id == std::string(id, strnlen(id, CATBatchIdMaxLength + 1))) return &batch;
  return nullptr;
}

CATBaseUnknown& Publisher() {
  static CATBaseUnknown* publisher = new CATBaseUnknown;
  return *publisher;
}

// Publishes the ends that were announced; runs on the event loop.
void DeliverEnds(int fd, void*) {
  char buffer[256];
  while (read(fd, buffer, sizeof buffer) > 0) {
  }
  Server& server = TheServer();
  while (!server.pendingEnds.empty()) {
    const std::string id = server.pendingEnds.front();
    server.pendingEnds.pop_front();
    Batch* batch = FindBatch(id.c_str());
    if (!batch) continue;
    CATCallbackManager* manager = GetDefaultCallbackManager(&Publisher());
    if (!manager) continue;
    auto* notification = new CATBatchEndNotifCAA(id.c_str(), batch->info.name.c_str());
    manager->DispatchCallbacks(notification, &Publisher());
    notification->Release();
  }
}

HRESULT AnnounceEnd(const std::string& id) {
  Server& server = TheServer();
  if (server.pipe[0] < 0) {
    if (::pipe2(server.pipe, O_CLOEXEC | O_NONBLOCK) != 0) return E_FAIL;
    server.input = CATAddInput(server.pipe[0], DeliverEnds, nullptr);
  }
  server.pendingEnds.push_back(id);
  const char byte = 1;
  // A full pipe already wakes the loop; the queue holds the end either way.
  (void)!write(server.pipe[1], &byte, 1);
  return S_OK;
}

// ---- the coexistence administration batch ----

struct Object {
  CATPLMId id = 0;
  std::string externalId, revision, name;
};

struct Action {
  Object object;
  std::string context;
  std::string before, after;  // master sides; after empty: the mapping goes
  std::string note;           // why nothing is done, for objects left as they are
};

struct CoexRequest {
  std::string context, operation, direction, applyTo, mode;
  std::vector<CATPLMId> objects;
};

std::string Value(sqlite3* db, CATPLMId id, const char* name) {
  CATPLMStatement select(db, "SELECT value FROM attributes WHERE component = ?1 AND name = ?2");
  if (select.Ok() && select.Bind(1, id).Bind(2, std::string(name)).Step() == SQLITE_ROW)
    return select.Text(0);
  return std::string();
}

Object Describe(sqlite3* db, CATPLMId id) {
  Object object;
  object.id = id;
  object.externalId = Value(db, id, "PLM_ExternalID");
  object.revision = Value(db, id, "majorrevision");
  object.name = Value(db, id, "name");
  return object;
}

// The selected objects and, since propagation is "All", every reference and representation below them.
bool Targets(sqlite3* db, const std::vector<CATPLMId>& roots, std::vector<CATPLMId>& targets,
             std::string& why) {
  std::set<CATPLMId> seen;
  std::vector<CATPLMId> stack(roots.rbegin(), roots.rend());
  while (!stack.empty()) {
    CATPLMId id = stack.back();
    stack.pop_back();
    if (!seen.insert(id).second) continue;
    if (seen.size() > kMaxTargets) {
      why = "too many objects below the selection";
      return false;
    }
    CATPLMStatement found(db, "SELECT 1 FROM components WHERE id = ?1");
    if (!found.Ok() || found.Bind(1, id).Step() != SQLITE_ROW) {
      why = "object " + std::to_string(id) + " does not exist";
      return false;
    }
    targets.push_back(id);
    CATPLMStatement children(db, "SELECT child FROM instances WHERE father = ?1 ORDER BY instance DESC");
    if (!children.Ok()) {
      why = sqlite3_errmsg(db);
      return false;
    }
    children.Bind(1, id);
    int rc;
    while ((rc = children.Step()) == SQLITE_ROW) stack.push_back(children.Int(0));
    if (rc != SQLITE_DONE) {
      why = sqlite3_errmsg(db);
      return false;
    }
  }
  return true;
}

bool Plan(sqlite3* db, const CoexRequest& request, std::vector<Action>& actions, std::string& why) {
  const std::string newMaster = request.direction == "V6V5Master" ? "V6" : "V5";
  auto plan = [&](CATPLMId id, bool hasMapping, const std::string& master) {
    Action action;
    action.object = Describe(db, id);
    action.context = request.context;
    action.before = master;
    if (!hasMapping)
      action.note = "no mapping in this context";
    else if (request.operation == "Delete")
      action.after.clear();
    else if (master == newMaster)
      action.note = "already mastered by " + master, action.after = master;
    else
      action.after = newMaster;
    actions.push_back(action);
  };
  if (request.applyTo == "All") {
    CATPLMStatement all(db,
                        "SELECT component, master FROM coex_mappings WHERE context = ?1 ORDER BY component");
    if (!all.Ok()) return why = sqlite3_errmsg(db), false;
    all.Bind(1, request.context);
    int rc;
    while ((rc = all.Step()) == SQLITE_ROW) plan(all.Int(0), true, all.Text(1));
    if (rc != SQLITE_DONE) return why = sqlite3_errmsg(db), false;
    return true;
  }
  std::vector<CATPLMId> targets;
  if (!Targets(db, request.objects, targets, why)) return false;
  for (CATPLMId id : targets) {
    CATPLMStatement mapping(db, "SELECT master FROM coex_mappings WHERE component = ?1 AND context = ?2");
    if (!mapping.Ok()) return why = sqlite3_errmsg(db), false;
    int rc = mapping.Bind(1, id).Bind(2, request.context).Step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return why = sqlite3_errmsg(db), false;
    plan(id, rc == SQLITE_ROW, rc == SQLITE_ROW ? mapping.Text(0) : std::string());
  }
  return true;
}

bool Apply(sqlite3* db, const std::vector<Action>& actions, std::string& why) {
  if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
    return why = sqlite3_errmsg(db), false;
  bool ok = true;
  for (const Action& action : actions) {
    if (!action.note.empty()) continue;
    CATPLMStatement change(
        db, action.after.empty()
                ? "DELETE FROM coex_mappings WHERE component = ?1 AND context = ?2"
                : "UPDATE coex_mappings SET master = ?3 WHERE component = ?1 AND context = ?2");
    change.Bind(1, action.object.id).Bind(2, action.context);
    if (!action.after.empty()) change.Bind(3, action.after);
    if (!change.Ok() || !change.Run()) {
      ok = false;
      why = sqlite3_errmsg(db);
      break;
    }
  }
  if (ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) return true;
  if (ok) why = sqlite3_errmsg(db);
  sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  return false;
}

std::string Report(const std::string& id, const CoexRequest& request, const std::vector<Action>& actions,
                   const std::string& failure) {
  const bool preview = request.mode == "Preview";
  std::ostringstream html;
  html << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" << kCoexBatch << " "
       << HtmlEscaped(id) << "</title></head><body>\n";
  html << "<h1>" << kCoexBatch << " " << HtmlEscaped(id) << (preview ? " (preview)" : "") << "</h1>\n";
  html << "<p>Context: " << HtmlEscaped(request.context) << "; operation: " << HtmlEscaped(request.operation);
  if (request.operation != "Delete") html << " " << HtmlEscaped(request.direction);
  html << "; applied to: " << HtmlEscaped(request.applyTo) << "</p>\n";
  if (!failure.empty()) {
    html << "<p class=\"failed\">Failed: " << HtmlEscaped(failure) << ". Nothing was changed.</p>\n";
  } else {
    html << "<table>\n<tr><th>Object</th><th>Revision</th><th>Name</th><th>Action</th></tr>\n";
    int changed = 0;
    for (const Action& action : actions) {
      std::string what;
      if (!action.note.empty())
        what = "unchanged: " + action.note;
      else if (action.after.empty())
        what = std::string(preview ? "would delete" : "deleted") + " mapping (master " + action.before + ")";
      else
        what = std::string(preview ? "would transfer" : "transferred") + " mastership " + action.before +
               " to " + action.after;
      if (action.note.empty()) ++changed;
      html << "<tr><td>" << HtmlEscaped(action.object.externalId) << "</td><td>"
           << HtmlEscaped(action.object.revision) << "</td><td>" << HtmlEscaped(action.object.name)
           << "</td><td>" << HtmlEscaped(what) << "</td></tr>\n";
    }
    html << "</table>\n<p>" << changed << (changed == 1 ? " mapping " : " mappings ")
         << (preview ? "would be changed" : "changed") << ".</p>\n";
  }
  html << "</body></html>\n";
  return html.str();
}

// One value of a parameter that must hold exactly one of the allowed texts.
bool Single(const std::map<std::string, std::vector<std::string>>& parameters, const char* name,
            std::set<std::string> allowed, std::string& value, std::string& why) {
  auto found = parameters.find(name);
  if (found == parameters.end() || found->second.size() != 1 ||
      (!allowed.empty() && !allowed.count(found->second[0])) || found->second[0].empty()) {
    why = std::string("invalid parameter ") + name;
    return false;
  }
  value = found->second[0];
  return true;
}

bool ReadRequest(const pugi::xml_node& root, CoexRequest& request, std::string& why) {
  std::map<std::string, std::vector<std::string>> parameters;
  std::string propagate;
  for (pugi::xml_node parameter : root.children("Parameter")) {
    std::vector<std::string>& values = parameters[parameter.attribute("name").value()];
    for (pugi::xml_node value : parameter.children("Value")) {
      if (values.size() >= kMaxParameterValues) return why = "too many parameter values", false;
      values.push_back(value.text().get());
    }
  }
  if (!Single(parameters, "CoexAdmin_Context", {}, request.context, why) ||
      !Single(parameters, "CoexAdmin_Propagate", {"All"}, propagate, why) ||
      !Single(parameters, "CoexAdmin_ApplyTo", {"All", "Selection"}, request.applyTo, why) ||
      !Single(parameters, "CoexAdmin_Mode", {"Run", "Preview"}, request.mode, why))
    return false;
  const std::vector<std::string>& mapping = parameters["CoexAdmin_Mapping"];
  if (mapping.size() == 1 && mapping[0] == "Delete") {
    request.operation = "Delete";
  } else if (mapping.size() == 3 && mapping[0] == "Ownership" &&
             (mapping[1] == "V6V5Master" || mapping[1] == "V5V6Master") && mapping[2] == "AllowRep") {
    request.operation = "Ownership";
    request.direction = mapping[1];
  } else {
    return why = "invalid parameter CoexAdmin_Mapping", false;
  }
  for (pugi::xml_node object : root.children("Object")) {
    if (request.objects.size() >= kMaxObjects) return why = "too many objects", false;
    long long id = object.attribute("id").as_llong(0);
    if (id <= 0) return why = "invalid object", false;
    request.objects.push_back(id);
  }
  if (request.applyTo == "Selection" && request.objects.empty()) return why = "no object selected", false;
  return true;
}

// Runs the batch; its return code and report.
int RunCoexistence(const std::string& id, const pugi::xml_node& root, const std::string& reportPath) {
  CoexRequest request;
  std::vector<Action> actions;
  std::string why;
  CATUnicodeString injected;
  CATPLMSessionPtr session = CATPLMSessionImpl::Current();
  if (!session) {
    why = "no PLM database";
  } else if (CATPLMInjectedFailure("Batch", injected)) {
    ReadRequest(root, request, why);
    why = injected.ConvertToUTF8();
  } else if (ReadRequest(root, request, why) &&
             sqlite3_exec(session->Db(), kMappingsTable, nullptr, nullptr, nullptr) == SQLITE_OK &&
             Plan(session->Db(), request, actions, why)) {
    if (request.mode == "Run") Apply(session->Db(), actions, why);
  } else if (why.empty()) {
    why = session->DbError();
  }
  std::ofstream report(reportPath, std::ios::binary | std::ios::trunc);
  report << Report(id, request, actions, why);
  report.close();
  if (!report) return 1;
  return why.empty() ? 0 : 1;
}

}  // namespace

// ---- CATPLMBatch ----

CATPLMBatch::CATPLMBatch(const CATUnicodeString& iBatchName) : name_(iBatchName) {
  static int reports = 0;
  reportName_ = iBatchName + "_" + CATUnicodeString(std::to_string(getpid()).c_str()) + "_" +
                CATUnicodeString(std::to_string(++reports).c_str());
}

CATPLMBatch::~CATPLMBatch() = default;

HRESULT CATPLMBatch::SetApplicativeParameters(const CATUnicodeString& iName,
                                              const CATListValCATUnicodeString& iValues) {
  const std::string name = iName.ConvertToUTF8();
  if (name.empty() || !IsXmlText(name)) return E_FAIL;
  std::vector<std::string> values;
  for (int i = 1; i <= iValues.Size(); ++i) {
    values.push_back(iValues[i].ConvertToUTF8());
    if (!IsXmlText(values.back())) return E_FAIL;
  }
  for (auto& parameter : parameters_)
    if (parameter.first == name) return parameter.second = values, S_OK;
  parameters_.emplace_back(name, values);
  return S_OK;
}

HRESULT CATPLMBatch::SetSelectedObjects(const CATListPtrCATIAdpPLMIdentificator& iObjects) {
  std::vector<long long> objects;
  for (int i = 1; i <= iObjects.Size(); ++i) {
    CATPLMSessionPtr session;
    CATPLMRecord* record = nullptr;
    if (!iObjects[i] || FAILED(CATPLMResolve(iObjects[i], session, record)) || !record->saved) return E_FAIL;
    objects.push_back(record->id);
  }
  objects_ = objects;
  return S_OK;
}

HRESULT CATPLMBatch::SetReportParameter(const CATUnicodeString& iName, const CATUnicodeString& iValue) {
  const std::string name = iName.ConvertToUTF8(), value = iValue.ConvertToUTF8();
  if (name.empty() || !IsXmlText(name) || !IsXmlText(value)) return E_FAIL;
  for (auto& parameter : reportParameters_)
    if (parameter.first == name) return parameter.second = value, S_OK;
  reportParameters_.emplace_back(name, value);
  return S_OK;
}

HRESULT CATPLMBatch::GetReportName(CATUnicodeString& oName) const {
  oName = reportName_;
  return S_OK;
}

HRESULT CATPLMBatch::FillXmlFile(const CATUnicodeString& iOptions, const CATUnicodeString& iPath) const {
  const std::string path = iPath.ConvertToUTF8();
  if (!iOptions.ConvertToUTF8().empty() || path.empty()) return E_FAIL;
  pugi::xml_document document;
  pugi::xml_node root = document.append_child("PLMBatch");
  root.append_attribute("name") = name_.ConvertToUTF8().c_str();
  root.append_attribute("report") = reportName_.ConvertToUTF8().c_str();
  for (const auto& parameter : reportParameters_) {
    pugi::xml_node node = root.append_child("ReportParameter");
    node.append_attribute("name") = parameter.first.c_str();
    node.append_attribute("value") = parameter.second.c_str();
  }
  for (const auto& parameter : parameters_) {
    pugi::xml_node node = root.append_child("Parameter");
    node.append_attribute("name") = parameter.first.c_str();
    for (const std::string& value : parameter.second) node.append_child("Value").text() = value.c_str();
  }
  for (long long id : objects_) root.append_child("Object").append_attribute("id") = id;
  // Written beside the target and renamed over it: the server never reads half a file.
  const std::string temporary = path + ".tmp-" + std::to_string(getpid());
  if (!document.save_file(temporary.c_str(), "  ", pugi::format_default, pugi::encoding_utf8)) {
    std::remove(temporary.c_str());
    return E_FAIL;
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return E_FAIL;
  }
  return S_OK;
}

// ---- notifications, publisher, monitor ----

CATBatchEndNotifCAA::CATBatchEndNotifCAA(const char* iBatchId, const char* iBatchName)
    : CATNotification(ClassName()), name_(iBatchName ? iBatchName : "") {
  if (iBatchId) std::strncpy(id_, iBatchId, CATBatchIdMaxLength);
}

CATBaseUnknown* GetBatchPublisherCAA() {
  return &Publisher();
}

CATBatClientMonitorCAA* CATBatClientMonitorCAA::GetTheClientMonitorCAA() {
  static CATBatClientMonitorCAA* monitor = new CATBatClientMonitorCAA;
  return monitor;
}

HRESULT CATBatClientMonitorCAA::PrepareForSubmission() {
  return CATPLMSessionImpl::Current() ? S_OK : E_FAIL;
}

HRESULT CATBatClientMonitorCAA::SetSubmissionMode(int iMode, int iOption) {
  return iMode == 1 && iOption == 0 ? S_OK : E_INVALIDARG;
}

HRESULT CATBatClientMonitorCAA::SubmitBatch(const char* iInputFile, char oBatchId[CATBatchIdMaxLength + 1],
                                            int iOption) {
  if (!oBatchId) return E_INVALIDARG;
  std::memset(oBatchId, 0, CATBatchIdMaxLength + 1);
  CATUnicodeString injected;
  if (!iInputFile || iOption != 0) return E_INVALIDARG;
  if (CATPLMInjectedFailure("BatchSubmit", injected)) return CATPLMFail(injected);
  std::ifstream in(iInputFile, std::ios::binary);
  if (!in) return CATPLMFail(std::string("Cannot read the batch input file ") + iInputFile);
  std::string content(static_cast<size_t>(kMaxInputFile) + 1, '\0');
  in.read(content.data(), kMaxInputFile + 1);
  if (in.gcount() > kMaxInputFile) return CATPLMFail("The batch input file is too large");
  content.resize(static_cast<size_t>(in.gcount()));
  pugi::xml_document document;
  if (!document.load_buffer(content.data(), content.size(), pugi::parse_default, pugi::encoding_utf8))
    return CATPLMFail("The batch input file is not XML");
  pugi::xml_node root = document.child("PLMBatch");
  const std::string name = root.attribute("name").value();
  const std::string reportName = root.attribute("report").value();
  if (name != kCoexBatch) return CATPLMFail("Unknown batch " + name);
  if (reportName.empty() || reportName.find('/') != std::string::npos || reportName[0] == '.')
    return CATPLMFail("Invalid report name");
  std::string directory;
  for (pugi::xml_node parameter : root.children("ReportParameter"))
    if (std::string(parameter.attribute("name").value()) == kReportDirectory)
      directory = parameter.attribute("value").value();
  if (directory.empty()) return CATPLMFail("No report directory");

  Server& server = TheServer();
  Batch batch;
  batch.info.id = "CoexAdmin-" + std::to_string(++server.submitted);
  batch.info.name = name;
  batch.info.state = "Running";
  batch.info.report = reportName + ".htm";
  server.batches.push_back(batch);
  const int rc = RunCoexistence(batch.info.id, root, directory + "/" + batch.info.report);
  Batch& stored = server.batches.back();
  stored.info.state = "Ended";
  stored.info.returnCode = rc;
  std::strncpy(oBatchId, stored.info.id.c_str(), CATBatchIdMaxLength);
  if (CATPLMInjectedFailure("BatchEnd", injected)) return S_OK;
  return AnnounceEnd(stored.info.id);
}

HRESULT CATBatClientMonitorCAA::WaitForBatch(int* ioDone, int iTimeoutMs, int iOption) {
  if (!ioDone || iOption != 0 || iTimeoutMs < -1) return E_INVALIDARG;
  const int limit = iTimeoutMs < 0 || iTimeoutMs > kServerWaitLimitMs ? kServerWaitLimitMs : iTimeoutMs;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit);
  while (!*ioDone) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
    if (left <= 0) return E_FAIL;
    // Inside another input's callback the loop answers at once; do not spin on it.
    if (CATDispatchInputs(static_cast<int>(left < 100 ? left : 100)) == 0 && !*ioDone)
      poll(nullptr, 0, static_cast<int>(left < 10 ? left : 10));
  }
  return S_OK;
}

HRESULT CATBatClientMonitorCAA::QueryBatch(const char* iBatchId, CATBatchInfoCAA* oInfo) {
  Batch* batch = FindBatch(iBatchId);
  if (!batch) return E_FAIL;
  if (oInfo) *oInfo = batch->info;
  return S_OK;
}

HRESULT CATBatClientMonitorCAA::GetBatchReturnCode(const char* iBatchId, int& oReturnCode) {
  Batch* batch = FindBatch(iBatchId);
  CATUnicodeString injected;
  if (!batch || batch->info.state != "Ended") return E_FAIL;
  if (CATPLMInjectedFailure("BatchReturnCode", injected)) return CATPLMFail(injected);
  oReturnCode = batch->info.returnCode;
  return S_OK;
}

std::vector<CATBatchInfoCAA> CATBatClientMonitorCAA::ListBatches() const {
  std::vector<CATBatchInfoCAA> out;
  for (const Batch& batch : TheServer().batches) out.push_back(batch.info);
  return out;
}

// ---- mappings ----

HRESULT CATPLMCoexistence::ListMappings(const std::string& iExternalId,
                                        std::vector<CATPLMCoexMapping>& oMappings) {
  oMappings.clear();
  CATPLMSessionPtr session = CATPLMSessionImpl::Current();
  if (!session) return E_FAIL;
  sqlite3* db = session->Db();
  CATPLMStatement table(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'coex_mappings'");
  int rc = table.Ok() ? table.Step() : SQLITE_ERROR;
  if (rc == SQLITE_DONE) return S_OK;
  if (rc != SQLITE_ROW) return session->Fail("Cannot read the coexistence mappings");
  CATPLMStatement select(db,
                         "SELECT m.context, m.master, m.component FROM coex_mappings m "
                         "LEFT JOIN attributes e ON e.component = m.component AND e.name = 'PLM_ExternalID' "
                         "LEFT JOIN attributes r ON r.component = m.component AND r.name = 'majorrevision' "
                         "WHERE ?1 = '' OR e.value = ?1 ORDER BY m.context, e.value, r.value, m.component");
  if (!select.Ok()) return session->Fail("Cannot read the coexistence mappings");
  select.Bind(1, iExternalId);
  while ((rc = select.Step()) == SQLITE_ROW) {
    Object object = Describe(db, select.Int(2));
    oMappings.push_back({object.externalId, object.revision, object.name, select.Text(0), select.Text(1)});
  }
  return rc == SQLITE_DONE ? S_OK : session->Fail("Cannot read the coexistence mappings");
}
