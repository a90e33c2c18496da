// Unique keys, attribute sets, queries and error reviewers.
#include <map>
#include <set>

#include "CATAdpPLMErrorReviewerFactory.h"
#include "CATAdpPLMExtendedQueryServices.h"
#include "CATAdpPLMQueryServices.h"
#include "CATPLMObjects.h"

namespace {

class ErrorReviewer : public CATIAdpPLMErrorReviewer {
 public:
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATIAdpPLMErrorReviewer>(this, iid, out);
  }
  int GetNbErrors() override { return messages_.Size(); }
  HRESULT GetErrorMessage(int iIndex, CATUnicodeString& oMessage) override {
    if (iIndex < 1 || iIndex > messages_.Size()) return E_FAIL;
    oMessage = messages_[iIndex];
    return S_OK;
  }
  void AddError(const CATUnicodeString& iMessage) override { messages_.Append(iMessage); }
  void Clear() override { messages_.RemoveAll(); }

 private:
  CATListValCATUnicodeString messages_;
};

CATAdpPLMAttributeSet IdentitySet(const std::vector<CATPLMAttribute>& attributes) {
  CATAdpPLMAttributeSet set;
  for (const char* name : CATPLMIdentityAttributes)
    for (const CATPLMAttribute& attribute : attributes)
      if (attribute.name == name) set.SetStringAttributeValue(name, attribute.value);
  return set;
}

void CollectKinds(const CATIType_var& type, std::set<std::string>& kinds) {
  kinds.insert(type->Name().ConvertToUTF8());
  CATListValCATIType_var subtypes;
  type->ListSubtypes(subtypes);
  for (const CATIType_var& subtype : subtypes) CollectKinds(subtype, kinds);
}

bool Matches(const std::vector<CATPLMAttribute>& attributes, const CATAdpPLMQueryFilter& filter) {
  const CATAdpPLMQueryAttributeSet& conditions = filter.GetAttributes();
  if (conditions.Size() == 0) return true;
  const bool all = filter.GetOperator() == CATAdpPLMLogicalAnd;
  for (int i = 1; i <= conditions.Size(); ++i) {
    std::string name = conditions.GetName(i).ConvertToUTF8();
    bool met = false;
    for (const CATPLMAttribute& attribute : attributes) {
      if (attribute.name != name) continue;
      CATUnicodeString value(attribute.value);
      met = filter.IsCaseSensitive() ? value == conditions.GetValue(i)
                                     : value.ToLowerCopy() == conditions.GetValue(i).ToLowerCopy();
      break;
    }
    if (met != all) return met;
  }
  return all;
}

}  // namespace

HRESULT CATAdpPLMAttributeSet::GetStringAttributeValue(const CATUnicodeString& iName,
                                                       CATUnicodeString& oValue) const {
  int position = names_.Locate(iName);
  if (!position) return E_FAIL;
  oValue = values_[position];
  return S_OK;
}

void CATAdpPLMAttributeSet::SetStringAttributeValue(const CATUnicodeString& iName,
                                                    const CATUnicodeString& iValue) {
  int position = names_.Locate(iName);
  if (position) {
    values_[position] = iValue;
  } else {
    names_.Append(iName);
    values_.Append(iValue);
  }
}

HRESULT CATAdpPLMComponentInfosIter::NextInfos(CATIAdpPLMIdentificator_var& oId) {
  oId = nullptr;
  if (next_ >= entries_.size()) return E_FAIL;
  oId = entries_[next_++].id;
  return S_OK;
}

HRESULT CATAdpPLMComponentInfosIter::NextAttributeSet(CATIType_var& oType,
                                                      CATAdpPLMAttributeSet& oAttributes) {
  oType = nullptr;
  if (next_ >= entries_.size()) return E_FAIL;
  const Entry& entry = entries_[next_++];
  oType = entry.type;
  oAttributes = entry.attributes;
  return S_OK;
}

void CATAdpPLMComponentInfosIter::Append(const CATIAdpPLMIdentificator_var& iId, const CATIType_var& iType,
                                         const CATAdpPLMAttributeSet& iAttributes) {
  entries_.push_back(Entry{iId, iType, iAttributes});
}

HRESULT CATAdpPLMComponentUniqueKey::MoreInformation(CATAdpPLMComponentInfosIter& oInfos) const {
  if (id_ == NULL_var) return E_FAIL;
  oInfos = CATAdpPLMComponentInfosIter();
  oInfos.Append(id_, type_, attributes_);
  return S_OK;
}

void CATAdpPLMComponentUniqueKey::Set(const CATIAdpPLMIdentificator_var& iId, const CATIType_var& iType,
                                      const CATAdpPLMAttributeSet& iAttributes) {
  id_ = iId;
  type_ = iType;
  attributes_ = iAttributes;
}

HRESULT CATAdpPLMQueryServices::GetUniqueKey(CATIAdpPLMIdentificator* iId,
                                             CATAdpPLMComponentUniqueKey& oKey) {
  CATPLMSessionPtr session;
  CATPLMRecord* record = nullptr;
  if (FAILED(CATPLMResolve(iId, session, record))) return E_FAIL;
  if (!record->saved) return CATPLMFail("PLM object " + record->Value("PLM_ExternalID") + " was never saved");
  std::vector<CATPLMAttribute> stored;
  if (FAILED(session->ReadStoredAttributes(record->id, stored))) return E_FAIL;
  CATIType_var type = CATPLMFindType(record->type);
  if (type == NULL_var) return E_FAIL;
  oKey.Set(iId, type, IdentitySet(stored));
  return S_OK;
}

HRESULT CATAdpPLMQueryAttributeSet::AddStringAttribute(const CATUnicodeString& iName,
                                                       const CATUnicodeString& iValue,
                                                       CATAdpPLMQueryOperator iOperator) {
  if (iName.IsNull() || iOperator != CATAdpPLMQueryEqual) return E_INVALIDARG;
  names_.Append(iName);
  values_.Append(iValue);
  return S_OK;
}

CATAdpPLMQueryFilter::CATAdpPLMQueryFilter(const CATIType_var& iType,
                                           const CATAdpPLMQueryAttributeSet& iAttributes,
                                           CATAdpPLMLogicalOperator iOperator)
    : type_(iType), attributes_(iAttributes), operator_(iOperator) {}

HRESULT CATAdpPLMExtendedQueryServices::GetElementsFromQueryFilter(const CATAdpPLMQueryFilter& iFilter,
                                                                   CATAdpPLMComponentInfosIter& oResults,
                                                                   CATIAdpPLMErrorReviewer* iReviewer) {
  CATUnicodeString injected;
  if (CATPLMInjectedFailure("Query", injected)) return CATPLMFail(injected, iReviewer);
  if (iFilter.GetType() == NULL_var) return CATPLMFail("The query names no type", iReviewer);
  if (iFilter.GetOperator() != CATAdpPLMLogicalAnd && iFilter.GetOperator() != CATAdpPLMLogicalOr)
    return CATPLMFail("The query's logical operator is unknown", iReviewer);
  CATPLMSessionPtr session = CATPLMSessionImpl::Current();
  if (!session) return CATPLMForwardLastError(iReviewer);

  std::set<std::string> kinds;
  CollectKinds(iFilter.GetType(), kinds);
  std::vector<std::pair<CATPLMId, std::string>> candidates;
  CATPLMStatement query(session->Db(), "SELECT id, type FROM components WHERE saved = ?1 ORDER BY id");
  query.Bind(1, sqlite3_int64{1});
  int rc;
  while ((rc = query.Step()) == SQLITE_ROW)
    if (kinds.count(query.Text(1))) candidates.emplace_back(query.Int(0), query.Text(1));
  if (rc != SQLITE_DONE) return session->Fail("The query failed", iReviewer);

  // Collected first, so a failure part-way leaves the results untouched.
  struct Found {
    CATIAdpPLMIdentificator_var id;
    CATIType_var type;
    CATAdpPLMAttributeSet attributes;
  };
  std::vector<Found> found;
  for (const auto& [id, typeName] : candidates) {
    std::vector<CATPLMAttribute> stored;
    if (FAILED(session->ReadStoredAttributes(id, stored))) return CATPLMForwardLastError(iReviewer);
    if (!Matches(stored, iFilter)) continue;
    CATPLMIdentificatorObj* identificator = session->Identificator(id);
    CATIType_var type = CATPLMFindType(typeName);
    if (!identificator || type == NULL_var) return CATPLMForwardLastError(iReviewer);
    found.push_back(Found{static_cast<CATIAdpPLMIdentificator*>(identificator), type, IdentitySet(stored)});
  }
  for (const Found& entry : found) oResults.Append(entry.id, entry.type, entry.attributes);
  return S_OK;
}

HRESULT CATAdpPLMErrorReviewerFactory::CreateErrorReviewer(CATIAdpPLMErrorReviewer_var& oReviewer) {
  ErrorReviewer* reviewer = new ErrorReviewer;
  oReviewer = static_cast<CATIAdpPLMErrorReviewer*>(reviewer);
  reviewer->Release();
  return S_OK;
}
