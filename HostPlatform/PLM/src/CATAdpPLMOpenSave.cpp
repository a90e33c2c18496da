// Opening into the session, saving to the database, versions, maturity and the frame's open services.
#include <algorithm>
#include <set>

#include "CATAdpMaturityServices.h"
#include "CATAdpOpener.h"
#include "CATAdpSaver.h"
#include "CATAdpVersioningServices.h"
#include "CATError.h"
#include "CATInstantiateComponent.h"
#include "CATPLMObjects.h"
#include "CATPLMOpenServicesFactory.h"

namespace {

// The object itself, whichever of its interfaces is given.
CATBaseUnknown* Canonical(CATBaseUnknown* object) {
  void* base = nullptr;
  if (!object || FAILED(object->QueryInterface(IID_CATBaseUnknown, &base))) return object;
  static_cast<CATBaseUnknown*>(base)->Release();
  return static_cast<CATBaseUnknown*>(base);
}

// Loads the structure below an opened object as deep as the expand mode asks.
HRESULT LoadStructure(CATPLMSessionImpl& session, CATPLMId root, CATAdpExpandMode mode) {
  if (mode == CATAdpExpandRootOnly) return S_OK;
  std::set<CATPLMId> visited{root};
  std::vector<CATPLMId> pending{root};
  while (!pending.empty()) {
    CATPLMId father = pending.back();
    pending.pop_back();
    std::vector<CATPLMId> instances;
    if (FAILED(session.ListInstances(father, instances))) return E_FAIL;
    for (CATPLMId instance : instances) {
      CATPLMRecord* link = session.Record(instance);
      if (!link) return E_FAIL;
      if (mode == CATAdpExpandProductStructure &&
          CATPLMSessionImpl::IsKindOf(link->type, "PLMCoreRepInstance"))
        continue;
      CATPLMId child = link->child;
      if (!session.Record(child)) return E_FAIL;
      if (mode != CATAdpExpandFirstLevel && visited.insert(child).second) pending.push_back(child);
    }
  }
  return S_OK;
}

// Refuses a unique key that another stored object of the same type already has.
HRESULT CheckUniqueKey(CATPLMSessionImpl& session, const CATPLMRecord& record,
                       CATIAdpPLMErrorReviewer* reviewer) {
  const std::string externalId = record.Value("PLM_ExternalID"), revision = record.Value("majorrevision");
  if (record.IsInstance() || externalId.empty()) return S_OK;
  CATPLMStatement query(session.Db(),
                        "SELECT COUNT(*) FROM components c "
                        "JOIN attributes e ON e.component = c.id AND e.name = ?1 "
                        "LEFT JOIN attributes r ON r.component = c.id AND r.name = ?2 "
                        "WHERE c.saved = 1 AND c.id <> ?3 AND c.type = ?4 AND e.value = ?5 "
                        "AND COALESCE(r.value, ?7) = ?6");
  query.Bind(1, std::string("PLM_ExternalID")).Bind(2, std::string("majorrevision")).Bind(3, record.id);
  query.Bind(4, record.type).Bind(5, externalId).Bind(6, revision).Bind(7, std::string());
  if (query.Step() != SQLITE_ROW)
    return session.Fail("Cannot check the unique key of " + externalId, reviewer);
  if (query.Int(0) == 0) return S_OK;
  return CATPLMFail("Save refused: " + record.type + " " + externalId + " revision " + revision +
                        " already exists in the database",
                    reviewer);
}

HRESULT WriteRecord(CATPLMSessionImpl& session, const CATPLMRecord& record,
                    CATIAdpPLMErrorReviewer* reviewer) {
  sqlite3* db = session.Db();
  if (record.modified || !record.saved) {
    for (const CATPLMAttribute& attribute : record.attributes) {
      CATPLMStatement update(db, "UPDATE attributes SET value = ?1 WHERE component = ?2 AND name = ?3");
      if (!update.Bind(1, attribute.value).Bind(2, record.id).Bind(3, attribute.name).Run() ||
          sqlite3_changes(db) != 1)
        return session.Fail(
            "Cannot save attribute " + attribute.name + " of " + record.Value("PLM_ExternalID"), reviewer);
    }
  }
  CATPLMStatement stored(db, "UPDATE components SET saved = ?1 WHERE id = ?2");
  if (!stored.Bind(1, sqlite3_int64{1}).Bind(2, record.id).Run() || sqlite3_changes(db) != 1)
    return session.Fail("Cannot save " + record.Value("PLM_ExternalID"), reviewer);
  return S_OK;
}

}  // namespace

HRESULT CATOmbLifeCycleRootsBag::AddRoot(CATBaseUnknown* iRoot) {
  CATBaseUnknown* root = Canonical(iRoot);
  if (!root) return E_FAIL;
  for (const CATBaseUnknown_var& held : roots_)
    if (held.get() == root) return S_OK;
  roots_.emplace_back(root);
  return S_OK;
}

HRESULT CATOmbLifeCycleRootsBag::RemoveRoot(CATBaseUnknown* iRoot) {
  CATBaseUnknown* root = Canonical(iRoot);
  for (auto held = roots_.begin(); held != roots_.end(); ++held)
    if (held->get() == root) {
      roots_.erase(held);
      return S_OK;
    }
  return E_FAIL;
}

CATAdpOpener::CATAdpOpener(CATOmbLifeCycleRootsBag& iBag, const CATAdpOpenParameters& iParameters)
    : bag_(iBag), parameters_(iParameters) {}

HRESULT CATAdpOpener::CompleteAndOpen(CATIAdpPLMIdentificator* iId, const IID& iIID, void** oObject,
                                      CATIAdpPLMErrorReviewer* iReviewer) {
  if (!oObject) return CATPLMFail("No place for the opened object", iReviewer);
  *oObject = nullptr;
  CATUnicodeString injected;
  if (CATPLMInjectedFailure("Open", injected)) return CATPLMFail(injected, iReviewer);
  CATPLMSessionPtr session;
  CATPLMRecord* record = nullptr;
  if (FAILED(CATPLMResolve(iId, session, record, iReviewer))) return E_FAIL;
  if (FAILED(LoadStructure(*session, record->id, parameters_.GetExpandMode())))
    return CATPLMForwardLastError(iReviewer);
  CATPLMComponentObj* component = session->Component(record->id);
  if (!component) return CATPLMForwardLastError(iReviewer);
  if (FAILED(component->QueryInterface(iIID, oObject))) {
    CATUnicodeString message =
        "The opened object " + record->Value("PLM_ExternalID") + " lacks the interface asked for";
    CATError::CATSetLastError(E_NOINTERFACE, message);
    if (iReviewer) iReviewer->AddError(message);
    return E_NOINTERFACE;
  }
  bag_.AddRoot(static_cast<CATIPLMComponent*>(component));
  return S_OK;
}

HRESULT CATAdpSaver::Save(const CATListValCATBaseUnknown_var& iObjects, CATIAdpPLMErrorReviewer* iReviewer) {
  CATPLMSessionPtr session;
  std::vector<CATPLMRecord*> records;
  for (const CATBaseUnknown_var& object : iObjects) {
    CATPLMRecord* record = nullptr;
    if (FAILED(CATPLMResolve(object, session, record, iReviewer))) return E_FAIL;
    if (std::find(records.begin(), records.end(), record) == records.end()) records.push_back(record);
  }
  // Instances are stored with the reference that aggregates them: new instances, and the new objects they
  // bring in, are saved along, so the database never holds a link to an object it does not have.
  auto add = [&records](CATPLMRecord* record) {
    if (!record->saved && std::find(records.begin(), records.end(), record) == records.end())
      records.push_back(record);
  };
  for (size_t i = 0; i < records.size(); ++i) {
    std::vector<CATPLMId> instances;
    if (records[i]->IsInstance()) continue;
    if (FAILED(session->ListInstances(records[i]->id, instances))) return CATPLMForwardLastError(iReviewer);
    for (CATPLMId instance : instances) {
      CATPLMRecord* link = session->Record(instance);
      CATPLMRecord* child = link ? session->Record(link->child) : nullptr;
      if (!child) return CATPLMForwardLastError(iReviewer);
      if (link->saved) continue;
      add(link);
      add(child);
    }
  }
  if (records.empty()) return S_OK;

  sqlite3* db = session->Db();
  if (!CATPLMStatement(db, "BEGIN IMMEDIATE").Run())
    return session->Fail("The database refuses to save", iReviewer);
  HRESULT hr = S_OK;
  for (CATPLMRecord* record : records)
    if (SUCCEEDED(hr)) hr = WriteRecord(*session, *record, iReviewer);
  for (CATPLMRecord* record : records)
    if (SUCCEEDED(hr)) hr = CheckUniqueKey(*session, *record, iReviewer);
  CATUnicodeString injected;
  if (SUCCEEDED(hr) && CATPLMInjectedFailure("Save", injected)) hr = CATPLMFail(injected, iReviewer);
  if (SUCCEEDED(hr) && !CATPLMStatement(db, "COMMIT").Run())
    hr = session->Fail("The database refuses to save", iReviewer);
  if (FAILED(hr)) {
    // The failure's message stays the last error, whatever the rollback reports.
    CATPLMStatement(db, "ROLLBACK").Run();
    return E_FAIL;
  }
  for (CATPLMRecord* record : records) {
    record->saved = true;
    record->modified = false;
  }
  return S_OK;
}

HRESULT CATPLMOpenServicesFactory::GetPLMOpenServices(CATIPLMOpenServices_var& oServices) {
  oServices = nullptr;
  CATIPLMOpenServices* services = nullptr;
  if (FAILED(CATInstantiateComponent("CATPLMOpenServices", IID_CATIPLMOpenServices,
                                     reinterpret_cast<void**>(&services))) ||
      !services)
    return CATPLMFail("No application frame provides the PLM open services");
  oServices = services;
  services->Release();
  return S_OK;
}

HRESULT CATAdpVersioningServices::GetAllVersions(CATIAdpPLMIdentificator* iId,
                                                 CATListPtrCATIAdpPLMIdentificator& oVersions) {
  CATPLMSessionPtr session;
  CATPLMRecord* record = nullptr;
  if (FAILED(CATPLMResolve(iId, session, record))) return E_FAIL;
  std::vector<CATPLMId> versions;
  std::vector<CATPLMAttribute> stored;
  if (!record->saved) {
    versions.push_back(record->id);
  } else {
    if (FAILED(session->ReadStoredAttributes(record->id, stored))) return E_FAIL;
    std::string externalId;
    for (const CATPLMAttribute& attribute : stored)
      if (attribute.name == "PLM_ExternalID") externalId = attribute.value;
    CATPLMStatement query(session->Db(),
                          "SELECT c.id FROM components c "
                          "JOIN attributes e ON e.component = c.id AND e.name = ?1 "
                          "LEFT JOIN attributes r ON r.component = c.id AND r.name = ?2 "
                          "WHERE c.saved = 1 AND c.type = ?3 AND e.value = ?4 ORDER BY r.value, c.id");
    query.Bind(1, std::string("PLM_ExternalID")).Bind(2, std::string("majorrevision"));
    query.Bind(3, record->type).Bind(4, externalId);
    int rc;
    while ((rc = query.Step()) == SQLITE_ROW) versions.push_back(query.Int(0));
    if (rc != SQLITE_DONE) return session->Fail("Cannot read the versions of " + externalId);
    if (std::find(versions.begin(), versions.end(), record->id) == versions.end())
      versions.push_back(record->id);
  }
  std::vector<CATPLMIdentificatorObj*> identificators;
  for (CATPLMId id : versions) {
    CATPLMIdentificatorObj* identificator = session->Identificator(id);
    if (!identificator) return E_FAIL;
    identificators.push_back(identificator);
  }
  for (CATPLMIdentificatorObj* identificator : identificators) {
    identificator->AddRef();
    oVersions.Append(identificator);
  }
  return S_OK;
}

HRESULT CATAdpMaturityServices::GetStateAndPossibleTransitions(CATIAdpPLMIdentificator* iId,
                                                               CATUnicodeString& oState,
                                                               CATListValCATUnicodeString& oTransitions,
                                                               CATListValCATUnicodeString& oTargetStates) {
  CATPLMSessionPtr session;
  CATPLMRecord* record = nullptr;
  if (FAILED(CATPLMResolve(iId, session, record))) return E_FAIL;
  if (record->maturity.empty())
    return CATPLMFail("PLM object " + record->Value("PLM_ExternalID") + " has no lifecycle");
  CATPLMStatement query(session->Db(),
                        "SELECT name, target FROM transitions WHERE state = ?1 ORDER BY rowid");
  query.Bind(1, record->maturity);
  CATListValCATUnicodeString names, targets;
  int rc;
  while ((rc = query.Step()) == SQLITE_ROW) {
    names.Append(CATUnicodeString(query.Text(0)));
    targets.Append(CATUnicodeString(query.Text(1)));
  }
  if (rc != SQLITE_DONE)
    return session->Fail("Cannot read the lifecycle of " + record->Value("PLM_ExternalID"));
  oState = record->maturity;
  oTransitions.Append(names);
  oTargetStates.Append(targets);
  return S_OK;
}
