#include "CATPathElement.h"

#include "CATFrmIdentity.h"

CATPathElement::CATPathElement(CATBaseUnknown* root) {
  AddChildElement(root);
}

CATPathElement::CATPathElement(const CATPathElement& other) : CATBaseUnknown(other) {
  for (CATBaseUnknown* object : other.objects_) {
    object->AddRef();
    objects_.push_back(object);
  }
}

CATPathElement& CATPathElement::operator=(const CATPathElement& other) {
  if (this == &other) return *this;
  std::vector<CATBaseUnknown*> copy = other.objects_;
  for (CATBaseUnknown* object : copy) object->AddRef();
  Clear();
  objects_ = std::move(copy);
  return *this;
}

CATPathElement::~CATPathElement() {
  Clear();
}

void CATPathElement::Clear() {
  std::vector<CATBaseUnknown*> objects;
  objects.swap(objects_);
  cursor_ = -1;
  for (CATBaseUnknown* object : objects) object->Release();
}

HRESULT CATPathElement::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<CATPathElement>(this, iid, out);
}

CATBaseUnknown* CATPathElement::operator[](int index) const {
  if (index < 0 || index >= GetSize()) return nullptr;
  return objects_[static_cast<size_t>(index)];
}

void CATPathElement::AddChildElement(CATBaseUnknown* object) {
  if (object) objects_.push_back(CATFrmIdentityOf(object));
}

void CATPathElement::AddFatherElement(CATBaseUnknown* object) {
  if (object) objects_.insert(objects_.begin(), CATFrmIdentityOf(object));
}

void CATPathElement::InitToLeafElement() {
  cursor_ = GetSize() - 1;
}

CATBaseUnknown* CATPathElement::NextFatherElement() {
  CATBaseUnknown* object = (*this)[cursor_];
  if (object) --cursor_;
  return object;
}

void CATPathElement::InitToTopElement() {
  cursor_ = 0;
}

CATBaseUnknown* CATPathElement::NextChildElement() {
  CATBaseUnknown* object = (*this)[cursor_];
  if (object) ++cursor_;
  return object;
}

int CATPathElement::IsEqual(const CATPathElement& other) const {
  return objects_ == other.objects_ ? 1 : 0;
}

int CATPathElement::Locate(CATBaseUnknown* object) const {
  if (!object) return -1;
  CATBaseUnknown* identity = CATFrmIdentityOf(object);
  int position = -1;
  for (int i = 0; i < GetSize() && position < 0; ++i)
    if (objects_[static_cast<size_t>(i)] == identity) position = i;
  identity->Release();
  return position;
}
