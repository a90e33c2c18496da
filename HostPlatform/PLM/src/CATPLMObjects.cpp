#include "CATPLMObjects.h"

#include "CATPLMNavServices.h"

namespace {

const char* const kSessionEnded = "The PLM session has ended";

struct OccurrenceExtension {
  IID iid;
  CATPLMNavServices::OccurrenceExtensionCreator creator;
};
// Filled by libraries as they load, read by every query; never destroyed, as libraries may query late.
std::vector<OccurrenceExtension>& OccurrenceExtensions() {
  static std::vector<OccurrenceExtension>* extensions = new std::vector<OccurrenceExtension>;
  return *extensions;
}

// The record, or null with the last error saying why: the session's end, or what the database answered.
CATPLMRecord* Load(const CATPLMSessionPtr& session, CATPLMId id) {
  if (session->IsOpen()) return session->Record(id);
  CATPLMFail(kSessionEnded);
  return nullptr;
}

// Hands out a session object through an interface handler; E_FAIL when the session could not make it.
template <class Iface, class Obj>
HRESULT Hand(Obj* object, CATVar<Iface>& out) {
  out = object ? static_cast<Iface*>(object) : nullptr;
  return object ? S_OK : E_FAIL;
}

}  // namespace

HRESULT CATPLMComponentObj::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<CATIPLMComponent, CATICkeObject, CATIAlias, CATPLMRecordHandle>(this, iid, out);
}

HRESULT CATPLMComponentObj::GetAdpID(CATIAdpPLMIdentificator_var& oId) {
  if (!session_->IsOpen()) return CATPLMFail(kSessionEnded);
  return Hand(session_->Identificator(id_), oId);
}

CATUnicodeString CATPLMComponentObj::GetAlias() {
  CATPLMRecord* record = Load(session_, id_);
  return record ? CATUnicodeString(record->Title()) : CATUnicodeString();
}

HRESULT CATPLMIdentificatorObj::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<CATIAdpPLMIdentificator, CATPLMRecordHandle>(this, iid, out);
}

HRESULT CATPLMIdentificatorObj::IsSaved(CATBoolean& oSaved) {
  CATPLMRecord* record = Load(session_, id_);
  if (!record) return E_FAIL;
  oSaved = record->saved ? TRUE : FALSE;
  return S_OK;
}

HRESULT CATPLMIdentificatorObj::GetPLMType(CATIType_var& oType) {
  CATPLMRecord* record = Load(session_, id_);
  oType = record ? CATPLMFindType(record->type) : CATIType_var();
  return oType != NULL_var ? S_OK : E_FAIL;
}

CATBoolean CATPLMIdentificatorObj::IsEqual(CATIAdpPLMIdentificator* iOther) {
  CATPLMRecordHandle* other = nullptr;
  if (!iOther || FAILED(iOther->QueryInterface(IID_CATPLMRecordHandle, reinterpret_cast<void**>(&other))))
    return FALSE;
  CATBoolean same = other->Session() == session_ && other->RecordId() == id_;
  other->Release();
  return same;
}

HRESULT CATPLMEntityObj::QueryInterface(const IID& iid, void** out) {
  HRESULT hr = CATQueryInterfaceOf<CATIPLMNavEntity, CATPLMRecordHandle>(this, iid, out);
  if (hr != E_NOINTERFACE || !(iid == IID_CATIPLMComponent)) return hr;
  CATIPLMComponent_var component;
  if (FAILED(GetPLMComponent(component))) return E_NOINTERFACE;
  return component->QueryInterface(iid, out);
}

HRESULT CATPLMEntityObj::IsRepresentation(CATBoolean& oIsRepresentation) {
  CATPLMRecord* record = Load(session_, id_);
  if (!record) return E_FAIL;
  if (CATPLMFindType(record->type) == NULL_var) return E_FAIL;
  oIsRepresentation = CATPLMSessionImpl::IsKindOf(record->type, "PLMCoreRepReference") ||
                      CATPLMSessionImpl::IsKindOf(record->type, "PLMCoreRepInstance");
  return S_OK;
}

HRESULT CATPLMEntityObj::GetAttributeValues(const CATListValCATUnicodeString& iNames,
                                            CATListValCATUnicodeString& oValues) {
  CATPLMRecord* record = Load(session_, id_);
  if (!record) return E_FAIL;
  CATListValCATUnicodeString values;
  for (const CATUnicodeString& name : iNames) {
    const CATPLMAttribute* attribute = record->Find(name.ConvertToUTF8());
    if (!attribute)
      return CATPLMFail("PLM object " + record->Value("PLM_ExternalID") + " has no attribute " +
                        name.ConvertToUTF8());
    values.Append(CATUnicodeString(attribute->value));
  }
  oValues.Append(values);
  return S_OK;
}

HRESULT CATPLMEntityObj::GetPLMComponent(CATIPLMComponent_var& oComponent) {
  CATPLMRecord* record = Load(session_, id_);
  if (!record) return E_FAIL;
  return Hand(session_->Component(record->IsInstance() ? record->father : id_), oComponent);
}

CATPLMOccurrenceObj::~CATPLMOccurrenceObj() {
  for (CATPLMOccurrenceObj* child : children_) {
    child->father_ = nullptr;
    child->Release();
  }
}

HRESULT CATPLMOccurrenceObj::QueryInterface(const IID& iid, void** out) {
  HRESULT hr =
      CATQueryInterfaceOf<CATIPLMNavOccurrence, CATINavigateObject, CATIPLMComponent>(this, iid, out);
  if (hr != E_NOINTERFACE) return hr;
  // The knowledge attributes, alias and record are those of the reference the occurrence stands for.
  if (iid == IID_CATICkeObject || iid == IID_CATIAlias || iid == IID_CATPLMRecordHandle) {
    if (!Usable()) return hr;
    CATPLMComponentObj* component = session_->Component(reference_);
    return component ? component->QueryInterface(iid, out) : hr;
  }
  for (const OccurrenceExtension& extension : OccurrenceExtensions()) {
    if (!(extension.iid == iid)) continue;
    CATBaseUnknown* object = extension.creator(this);
    if (!object) return hr;
    hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
  }
  return hr;
}

HRESULT CATPLMOccurrenceObj::GetReference(CATIPLMNavEntity_var& oReference) {
  if (!Usable()) return CATPLMFail(kSessionEnded);
  return Hand(session_->Entity(reference_), oReference);
}

HRESULT CATPLMOccurrenceObj::GetInstance(CATIPLMNavEntity_var& oInstance) {
  oInstance = nullptr;
  if (!Usable()) return CATPLMFail(kSessionEnded);
  if (!instance_) return E_FAIL;
  return Hand(session_->Entity(instance_), oInstance);
}

HRESULT CATPLMOccurrenceObj::GetFather(CATIPLMNavOccurrence_var& oFather) {
  oFather = father_ ? static_cast<CATIPLMNavOccurrence*>(father_) : nullptr;
  return father_ ? S_OK : E_FAIL;
}

HRESULT CATPLMOccurrenceObj::ListChildren(CATListValCATIPLMNavOccurrence_var& oChildren) {
  HRESULT hr = Expand();
  if (FAILED(hr)) return hr;
  for (CATPLMOccurrenceObj* child : children_) oChildren.Append(static_cast<CATIPLMNavOccurrence*>(child));
  return S_OK;
}

HRESULT CATPLMOccurrenceObj::Expand() {
  if (expanded_) return S_OK;
  if (!Usable()) return CATPLMFail(kSessionEnded);
  std::vector<CATPLMId> instances;
  if (FAILED(session_->ListInstances(reference_, instances))) return E_FAIL;
  // Only a reference expanded with children can stand above on the chain; the walk up is kept for those,
  // so a deep structure of distinct references expands in linear time.
  CATPLMRecord* self = instances.empty() ? nullptr : session_->Record(reference_);
  if (!instances.empty() && !self) return E_FAIL;
  if (self) self->expandedWithChildren = true;
  std::vector<CATPLMOccurrenceObj*> children;
  HRESULT hr = S_OK;
  for (CATPLMId instance : instances) {
    CATPLMRecord* record = session_->Record(instance);
    if (!record) {
      hr = E_FAIL;
      break;
    }
    CATPLMRecord* child = session_->Record(record->child);
    bool cycle = false;
    for (CATPLMOccurrenceObj* up = this; up && !cycle && (!child || child->expandedWithChildren);
         up = up->father_)
      cycle = up->reference_ == record->child;
    if (!cycle) children.push_back(new CATPLMOccurrenceObj(session_, record->child, instance, this));
  }
  if (FAILED(hr)) {
    for (CATPLMOccurrenceObj* child : children) child->Release();
    return hr;
  }
  children_ = std::move(children);
  expanded_ = true;
  return S_OK;
}

HRESULT CATPLMOccurrenceObj::GetPLMComponent(CATIPLMComponent_var& oComponent) {
  if (!Usable()) return CATPLMFail(kSessionEnded);
  return Hand(session_->Component(reference_), oComponent);
}

HRESULT CATPLMOccurrenceObj::GetAdpID(CATIAdpPLMIdentificator_var& oId) {
  if (!Usable()) return CATPLMFail(kSessionEnded);
  return Hand(session_->Identificator(reference_), oId);
}

HRESULT CATPLMOccurrenceObj::GetIdentificators(CATListValCATUnicodeString& oIdentificators) {
  CATPLMRecord* reference = Load(session_, reference_);
  CATPLMRecord* instance = reference && instance_ ? Load(session_, instance_) : nullptr;
  if (!reference || (instance_ && !instance)) return E_FAIL;
  oIdentificators.Append(CATUnicodeString(reference->Title()));
  std::string revision = reference->Value("revision");
  if (!revision.empty()) oIdentificators.Append(CATUnicodeString(revision));
  if (instance) oIdentificators.Append(CATUnicodeString("(" + instance->Value("PLM_ExternalID") + ")"));
  return S_OK;
}

void CATPLMOccurrenceObj::Detach() {
  // Every node of the tree is held while the links are cut, since cutting may free nodes still to visit.
  std::vector<CATPLMOccurrenceObj*> nodes{this};
  AddRef();
  for (size_t i = 0; i < nodes.size(); ++i)
    for (CATPLMOccurrenceObj* child : nodes[i]->children_) {
      child->AddRef();
      nodes.push_back(child);
    }
  std::vector<CATPLMOccurrenceObj*> links;
  for (CATPLMOccurrenceObj* node : nodes) {
    node->father_ = nullptr;
    links.insert(links.end(), node->children_.begin(), node->children_.end());
    node->children_.clear();
    node->expanded_ = false;
  }
  for (CATPLMOccurrenceObj* child : links) child->Release();
  for (CATPLMOccurrenceObj* node : nodes) node->Release();
}

HRESULT CATPLMNavServices::RegisterOccurrenceExtension(const IID& iid, OccurrenceExtensionCreator iCreator) {
  if (!iCreator) return E_INVALIDARG;
  for (const OccurrenceExtension& extension : OccurrenceExtensions())
    if (extension.iid == iid) return S_FALSE;
  OccurrenceExtensions().push_back({iid, iCreator});
  return S_OK;
}

HRESULT CATPLMNavServices::GetRootOccurrence(CATBaseUnknown* iRoot, CATIPLMNavOccurrence_var& oRoot) {
  oRoot = nullptr;
  CATPLMSessionPtr session;
  CATPLMRecord* record = nullptr;
  if (FAILED(CATPLMResolve(iRoot, session, record))) return E_FAIL;
  return Hand(session->RootOccurrence(record->id), oRoot);
}
