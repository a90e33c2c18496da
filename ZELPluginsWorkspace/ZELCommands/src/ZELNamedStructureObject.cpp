#include "ZELNamedStructureObject.h"

#include <vector>

ZELNamedStructureObject::ZELNamedStructureObject(const CATUnicodeString& iPartNumber,
                                                 const CATUnicodeString& iInstanceName)
    : _partNumber(iPartNumber), _instanceName(iInstanceName) {}

ZELNamedStructureObject::~ZELNamedStructureObject() {
  std::vector<ZELNamedStructureObject*> pending;
  for (int i = 1; i <= _children.Size(); ++i)
    pending.push_back(static_cast<ZELNamedStructureObject*>(_children[i]));
  _children.RemoveAll();
  while (!pending.empty()) {
    ZELNamedStructureObject* node = pending.back();
    pending.pop_back();
    for (int i = 1; i <= node->_children.Size(); ++i)
      pending.push_back(static_cast<ZELNamedStructureObject*>(node->_children[i]));
    // Emptied first, so this delete does not walk the children again.
    node->_children.RemoveAll();
    delete node;
  }
}

void ZELNamedStructureObject::AddChild(ZELNamedStructureObject* iChild) {
  if (iChild) _children.Append(iChild);
}

ZELNamedStructureObject* ZELNamedStructureObject::GetElement(int i) const {
  if (i < 1 || i > _children.Size()) return nullptr;
  return static_cast<ZELNamedStructureObject*>(_children[i]);
}

ZELNamedStructureObject* ZELNamedStructureObject::GetChildObject(
    const CATUnicodeString& iPartNumber, const CATUnicodeString& iInstanceName) const {
  for (int i = 1; i <= _children.Size(); ++i) {
    auto* child = static_cast<ZELNamedStructureObject*>(_children[i]);
    if (child->_partNumber == iPartNumber && child->_instanceName == iInstanceName) return child;
  }
  return nullptr;
}

void ZELNamedStructureObject::GetUnhandledObjects(CATListValCATUnicodeString& oList) const {
  std::vector<const ZELNamedStructureObject*> pending{this};
  while (!pending.empty()) {
    const ZELNamedStructureObject* node = pending.back();
    pending.pop_back();
    if (!node->_handled) oList.Append(node->_partNumber + "(" + node->_instanceName + ")");
    // Pushed last to first, so the first child comes out next.
    for (int i = node->_children.Size(); i >= 1; --i)
      pending.push_back(static_cast<const ZELNamedStructureObject*>(node->_children[i]));
  }
}
