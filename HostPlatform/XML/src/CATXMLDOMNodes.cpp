// DOM node handlers over pugixml nodes (see CATXMLImpl.h for the placement of created nodes).
#include <algorithm>
#include <cstring>
#include <new>

#include "CATUTF8Codec.h"
#include "CATXMLImpl.h"

// ---------------------------------------------------------------------------------------------------------
// Document state

pugi::xml_node CATXMLDocState::Holder() {
  if (!limbo) {
    limbo = std::make_unique<pugi::xml_document>();
    holder = limbo->append_child("detached");
    graveyard = limbo->append_child("placed");
  }
  return holder;
}

pugi::xml_node CATXMLDocState::Resolve(pugi::xml_node n) const {
  auto found = moved.find(n.internal_object());
  return found == moved.end() ? n : pugi::xml_node(found->second);
}

pugi::xml_node CATXMLDocState::PlaceFromLimbo(pugi::xml_node node, pugi::xml_node parent,
                                              pugi::xml_node before) {
  pugi::xml_node copy = before ? parent.insert_copy_before(node, before) : parent.append_copy(node);
  if (!copy) return copy;
  // Both subtrees have the same shape: walk them together, without recursion.
  pugi::xml_node a = node, b = copy;
  for (;;) {
    moved[a.internal_object()] = b.internal_object();
    if (a.first_child()) {
      a = a.first_child();
      b = b.first_child();
      continue;
    }
    while (a != node && !a.next_sibling()) {
      a = a.parent();
      b = b.parent();
    }
    if (a == node) break;
    a = a.next_sibling();
    b = b.next_sibling();
  }
  graveyard.append_move(node);
  return copy;
}

namespace {

// ---------------------------------------------------------------------------------------------------------
// Helpers

// The UTF-8 form of a name or value given to the interface; false when it holds a NUL (such a text can
// name nothing in a document and would be cut short by pugixml).
bool ToUTF8(const CATUnicodeString& text, std::string& out) {
  out = CATXMLChars::ToUTF8(text);
  return out.find('\0') == std::string::npos;
}

CATUnicodeString FromUTF8(const char* text) {
  return CATXMLChars::FromUTF8(text);
}

unsigned short DomType(pugi::xml_node n) {
  switch (n.type()) {
    case pugi::node_element:
      return CATIDOMNode::ELEMENT_NODE;
    case pugi::node_pcdata:
      return CATIDOMNode::TEXT_NODE;
    case pugi::node_cdata:
      return CATIDOMNode::CDATA_SECTION_NODE;
    case pugi::node_comment:
      return CATIDOMNode::COMMENT_NODE;
    case pugi::node_pi:
      return CATIDOMNode::PROCESSING_INSTRUCTION_NODE;
    case pugi::node_doctype:
      return CATIDOMNode::DOCUMENT_TYPE_NODE;
    case pugi::node_document:
      return CATIDOMNode::DOCUMENT_NODE;
    default:
      return 0;
  }
}

std::string DoctypeName(pugi::xml_node n) {
  std::string_view v = n.value();
  size_t end = 0;
  while (end < v.size() && !CATXMLChars::IsSpace(v[end]) && v[end] != '[') ++end;
  return std::string(v.substr(0, end));
}

bool HasData(pugi::xml_node n) {
  switch (n.type()) {
    case pugi::node_pcdata:
    case pugi::node_cdata:
    case pugi::node_comment:
    case pugi::node_pi:
      return true;
    default:
      return false;
  }
}

// Whether data may be stored in a node of that type.
bool ValidData(pugi::xml_node_type type, const std::string& data) {
  if (CATXMLChars::FindInvalid(data) != std::string_view::npos) return false;
  if (type == pugi::node_comment)
    return data.find("--") == std::string::npos && (data.empty() || data.back() != '-');
  if (type == pugi::node_pi) return data.find("?>") == std::string::npos;
  return true;
}

// Descendant elements of root (not root) with the name (or all for "*"), in document order.
std::vector<CATXMLListEntry> ElementsByTagName(pugi::xml_node root, const std::string& name) {
  std::vector<CATXMLListEntry> out;
  bool all = name == "*";
  CATXMLWalk(root, [&](pugi::xml_node cur) {
    if (cur.type() == pugi::node_element && (all || name == cur.name())) out.push_back({cur, std::string()});
    return true;
  });
  return out;
}

// ---------------------------------------------------------------------------------------------------------
// The node operations shared by every node class.

template <class Itf>
class NodeImpl : public Itf, public CATXMLNodeAccess {
 public:
  NodeImpl(const CATXMLDocStatePtr& st, pugi::xml_node n, std::string attr = std::string())
      : CATXMLNodeAccess(st, n, std::move(attr)) {}

  HRESULT GetNodeType(unsigned short& oType) override {
    oType = IsAttribute() ? static_cast<unsigned short>(CATIDOMNode::ATTRIBUTE_NODE) : DomType(Node());
    return S_OK;
  }

  HRESULT GetNodeName(CATUnicodeString& oName) override {
    CATXML_TRY
    pugi::xml_node n = Node();
    if (IsAttribute()) {
      oName = CATUnicodeString(attr_);
      return S_OK;
    }
    switch (n.type()) {
      case pugi::node_element:
      case pugi::node_pi:
        oName = FromUTF8(n.name());
        break;
      case pugi::node_pcdata:
        oName = "#text";
        break;
      case pugi::node_cdata:
        oName = "#cdata-section";
        break;
      case pugi::node_comment:
        oName = "#comment";
        break;
      case pugi::node_document:
        oName = "#document";
        break;
      case pugi::node_doctype:
        oName = CATUnicodeString(DoctypeName(n));
        break;
      default:
        oName = CATUnicodeString();
        break;
    }
    return S_OK;
    CATXML_CATCH
  }

  HRESULT GetNodeValue(CATUnicodeString& oValue) override {
    CATXML_TRY
    pugi::xml_node n = Node();
    if (IsAttribute())
      oValue = FromUTF8(n.attribute(attr_.c_str()).value());
    else if (HasData(n))
      oValue = FromUTF8(n.value());
    else
      oValue = CATUnicodeString();
    return S_OK;
    CATXML_CATCH
  }

  HRESULT SetNodeValue(const CATUnicodeString& iValue) override {
    CATXML_TRY
    pugi::xml_node n = Node();
    std::string v;
    if (!ToUTF8(iValue, v)) return E_INVALIDARG;
    if (IsAttribute()) {
      if (!ValidData(pugi::node_pcdata, v)) return E_INVALIDARG;
      pugi::xml_attribute a = n.attribute(attr_.c_str());
      if (!a) a = n.append_attribute(attr_.c_str());
      return a && a.set_value(v.c_str()) ? S_OK : E_OUTOFMEMORY;
    }
    if (!HasData(n)) return E_FAIL;
    if (!ValidData(n.type(), v)) return E_INVALIDARG;
    return n.set_value(v.c_str()) ? S_OK : E_OUTOFMEMORY;
    CATXML_CATCH
  }

  HRESULT GetTextContent(CATUnicodeString& oText) override {
    CATXML_TRY
    pugi::xml_node n = Node();
    if (IsAttribute() || HasData(n)) return GetNodeValue(oText);
    std::string text;
    if (n.type() == pugi::node_element) {
      CATXMLWalk(n, [&](pugi::xml_node cur) {
        if (cur.type() == pugi::node_pcdata || cur.type() == pugi::node_cdata) text += cur.value();
        return true;
      });
    }
    oText = CATUnicodeString(text);
    return S_OK;
    CATXML_CATCH
  }

  HRESULT GetParentNode(CATIDOMNode_var& oParent) override {
    CATXML_TRY
    oParent = NULL_var;
    if (IsAttribute()) return S_OK;
    pugi::xml_node n = Node();
    pugi::xml_node p = n.parent();
    if (!p || (st_->InLimbo(p) && (p == st_->holder || p == st_->graveyard || p == *st_->limbo))) return S_OK;
    CATXMLAssign(oParent, CATXMLMakeNode(st_, p));
    return S_OK;
    CATXML_CATCH
  }

  HRESULT GetFirstChild(CATIDOMNode_var& oChild) override { return Related(oChild, kFirst); }
  HRESULT GetLastChild(CATIDOMNode_var& oChild) override { return Related(oChild, kLast); }
  HRESULT GetPreviousSibling(CATIDOMNode_var& oSibling) override { return Related(oSibling, kPrevious); }
  HRESULT GetNextSibling(CATIDOMNode_var& oSibling) override { return Related(oSibling, kNext); }

  HRESULT GetChildNodes(CATIDOMNodeList_var& oChildren) override {
    CATXML_TRY
    std::vector<CATXMLListEntry> entries;
    if (!IsAttribute()) {
      size_t count = 0;
      for (pugi::xml_node c = Node().first_child(); c; c = c.next_sibling()) ++count;
      entries.reserve(count);
      for (pugi::xml_node c = Node().first_child(); c; c = c.next_sibling())
        entries.push_back({c, std::string()});
    }
    CATXMLAssign(oChildren, CATXMLMakeNodeList(st_, std::move(entries)));
    return S_OK;
    CATXML_CATCH
  }

  HRESULT HasChildNodes(CATBoolean& oHasChildren) override {
    oHasChildren = (!IsAttribute() && Node().first_child()) ? TRUE : FALSE;
    return S_OK;
  }

  HRESULT GetOwnerDocument(CATIDOMDocument_var& oDocument) override {
    CATXML_TRY
    oDocument = NULL_var;
    if (!IsAttribute() && Node().type() == pugi::node_document) return S_OK;
    CATXMLAssign(oDocument, CATXMLMakeDocument(st_));
    return S_OK;
    CATXML_CATCH
  }

  HRESULT AppendChild(const CATIDOMNode_var& iNewChild) override { return Insert(iNewChild, NULL_var); }
  HRESULT InsertBefore(const CATIDOMNode_var& iNewChild, const CATIDOMNode_var& iRefChild) override {
    return Insert(iNewChild, iRefChild);
  }

  HRESULT IsSameNode(const CATIDOMNode_var& iOther, CATBoolean& oSame) override {
    oSame = FALSE;
    CATXMLNodeAccess* other = iOther ? CATXMLAccessOf(iOther.get()) : nullptr;
    if (!other) return iOther ? E_INVALIDARG : S_OK;
    oSame =
        (other->State() == st_ && other->Node() == Node() && other->AttributeName() == attr_) ? TRUE : FALSE;
    return S_OK;
  }

 protected:
  enum Relation { kFirst, kLast, kPrevious, kNext };
  HRESULT Related(CATIDOMNode_var& out, Relation relation) {
    CATXML_TRY
    out = NULL_var;
    if (IsAttribute()) return S_OK;
    pugi::xml_node n = Node();
    // A node not placed in the tree has no siblings (the other detached nodes are not its siblings).
    bool sibling = relation == kPrevious || relation == kNext;
    if (sibling && st_->IsDetachedTop(n)) return S_OK;
    pugi::xml_node r = relation == kFirst      ? n.first_child()
                       : relation == kLast     ? n.last_child()
                       : relation == kPrevious ? n.previous_sibling()
                                               : n.next_sibling();
    if (r) CATXMLAssign(out, CATXMLMakeNode(st_, r));
    return S_OK;
    CATXML_CATCH
  }

  HRESULT Insert(const CATIDOMNode_var& iNewChild, const CATIDOMNode_var& iRefChild) {
    CATXML_TRY
    CATXMLNodeAccess* c = iNewChild ? CATXMLAccessOf(iNewChild.get()) : nullptr;
    if (!c || c->State() != st_) return E_INVALIDARG;
    if (IsAttribute() || c->IsAttribute()) return E_FAIL;
    pugi::xml_node parent = Node(), child = c->Node(), before;
    if (iRefChild) {
      CATXMLNodeAccess* r = CATXMLAccessOf(iRefChild.get());
      if (!r || r->State() != st_ || r->IsAttribute()) return E_INVALIDARG;
      before = r->Node();
      if (before.parent() != parent) return E_INVALIDARG;
      if (before == child) return S_OK;
    }
    pugi::xml_node_type pt = parent.type(), ct = child.type();
    if (pt != pugi::node_element && pt != pugi::node_document) return E_FAIL;
    if (ct != pugi::node_element && ct != pugi::node_pcdata && ct != pugi::node_cdata &&
        ct != pugi::node_comment && ct != pugi::node_pi)
      return E_FAIL;
    if (pt == pugi::node_document) {
      if (ct == pugi::node_pcdata || ct == pugi::node_cdata) return E_FAIL;
      if (ct == pugi::node_element)
        for (pugi::xml_node k = parent.first_child(); k; k = k.next_sibling())
          if (k.type() == pugi::node_element && k != child) return E_FAIL;
    }
    for (pugi::xml_node p = parent; p; p = p.parent())
      if (p == child) return E_FAIL;  // a node cannot go below itself
    bool parentOut = st_->InLimbo(parent), childOut = st_->InLimbo(child);
    if (parentOut == childOut) {
      pugi::xml_node moved = before ? parent.insert_move_before(child, before) : parent.append_move(child);
      return moved ? S_OK : E_FAIL;
    }
    if (childOut) return st_->PlaceFromLimbo(child, parent, before) ? S_OK : E_OUTOFMEMORY;
    return E_FAIL;  // a node of the tree cannot move below a node that is not placed
    CATXML_CATCH
  }
};

// ---------------------------------------------------------------------------------------------------------
// Node classes

class ElementImpl : public NodeImpl<CATIDOMElement> {
 public:
  using NodeImpl::NodeImpl;
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATIDOMElement, CATIDOMNode>(this, iid, out);
  }

  HRESULT GetTagName(CATUnicodeString& oName) override { return GetNodeName(oName); }

  HRESULT GetAttribute(const CATUnicodeString& iName, CATUnicodeString& oValue) override {
    CATXML_TRY
    std::string name;
    oValue = CATUnicodeString();
    if (ToUTF8(iName, name) && !name.empty()) oValue = FromUTF8(Node().attribute(name.c_str()).value());
    return S_OK;
    CATXML_CATCH
  }

  HRESULT HasAttribute(const CATUnicodeString& iName, CATBoolean& oHas) override {
    CATXML_TRY
    std::string name;
    oHas = (ToUTF8(iName, name) && !name.empty() && Node().attribute(name.c_str())) ? TRUE : FALSE;
    return S_OK;
    CATXML_CATCH
  }

  HRESULT SetAttribute(const CATUnicodeString& iName, const CATUnicodeString& iValue) override {
    CATXML_TRY
    std::string name, value;
    if (!ToUTF8(iName, name) || !CATXMLChars::IsName(name)) return E_INVALIDARG;
    if (!ToUTF8(iValue, value) || !ValidData(pugi::node_pcdata, value)) return E_INVALIDARG;
    pugi::xml_node n = Node();
    pugi::xml_attribute a = n.attribute(name.c_str());
    if (!a) a = n.append_attribute(name.c_str());
    return a && a.set_value(value.c_str()) ? S_OK : E_OUTOFMEMORY;
    CATXML_CATCH
  }

  HRESULT RemoveAttribute(const CATUnicodeString& iName) override {
    CATXML_TRY
    std::string name;
    if (ToUTF8(iName, name) && !name.empty()) Node().remove_attribute(name.c_str());
    return S_OK;
    CATXML_CATCH
  }

  HRESULT GetAttributeNames(CATListOfCATUnicodeString& oNames) override {
    CATXML_TRY
    for (pugi::xml_attribute a = Node().first_attribute(); a; a = a.next_attribute())
      oNames.Append(FromUTF8(a.name()));
    return S_OK;
    CATXML_CATCH
  }

  HRESULT GetElementsByTagName(const CATUnicodeString& iName, CATIDOMNodeList_var& oList) override {
    CATXML_TRY
    std::string name;
    std::vector<CATXMLListEntry> entries;
    if (ToUTF8(iName, name)) entries = ElementsByTagName(Node(), name);
    CATXMLAssign(oList, CATXMLMakeNodeList(st_, std::move(entries)));
    return S_OK;
    CATXML_CATCH
  }
};

template <class Itf>
class CharacterDataImpl : public NodeImpl<Itf> {
 public:
  using NodeImpl<Itf>::NodeImpl;
  using NodeImpl<Itf>::Node;
  HRESULT GetData(CATUnicodeString& oData) override { return this->GetNodeValue(oData); }
  HRESULT SetData(const CATUnicodeString& iData) override { return this->SetNodeValue(iData); }
  HRESULT AppendData(const CATUnicodeString& iData) override {
    CATXML_TRY
    std::string add;
    if (!ToUTF8(iData, add)) return E_INVALIDARG;
    pugi::xml_node n = Node();
    std::string data = std::string(n.value()) + add;
    if (!ValidData(n.type(), data)) return E_INVALIDARG;
    return n.set_value(data.c_str()) ? S_OK : E_OUTOFMEMORY;
    CATXML_CATCH
  }
  HRESULT GetLength(unsigned int& oLength) override {
    oLength = static_cast<unsigned int>(CATUTF16LengthOfUTF8(Node().value()));
    return S_OK;
  }
};

class TextImpl : public CharacterDataImpl<CATIDOMText> {
 public:
  using CharacterDataImpl::CharacterDataImpl;
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATIDOMText, CATIDOMCharacterData, CATIDOMNode>(this, iid, out);
  }
};

class CDATASectionImpl : public CharacterDataImpl<CATIDOMCDATASection> {
 public:
  using CharacterDataImpl::CharacterDataImpl;
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATIDOMCDATASection, CATIDOMText, CATIDOMCharacterData, CATIDOMNode>(this, iid,
                                                                                                    out);
  }
};

class CommentImpl : public CharacterDataImpl<CATIDOMComment> {
 public:
  using CharacterDataImpl::CharacterDataImpl;
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATIDOMComment, CATIDOMCharacterData, CATIDOMNode>(this, iid, out);
  }
};

class PlainNodeImpl : public NodeImpl<CATIDOMNode> {
 public:
  using NodeImpl::NodeImpl;
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATIDOMNode>(this, iid, out);
  }
};

class DocumentTypeImpl : public NodeImpl<CATIDOMDocumentType> {
 public:
  using NodeImpl::NodeImpl;
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATIDOMDocumentType, CATIDOMNode>(this, iid, out);
  }
  HRESULT GetName(CATUnicodeString& oName) override { return GetNodeName(oName); }
};

class AttrImpl : public NodeImpl<CATIDOMAttr> {
 public:
  using NodeImpl::NodeImpl;
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATIDOMAttr, CATIDOMNode>(this, iid, out);
  }
  HRESULT GetName(CATUnicodeString& oName) override { return GetNodeName(oName); }
  HRESULT GetValue(CATUnicodeString& oValue) override { return GetNodeValue(oValue); }
  HRESULT SetValue(const CATUnicodeString& iValue) override { return SetNodeValue(iValue); }
  HRESULT GetOwnerElement(CATIDOMElement_var& oElement) override {
    CATXML_TRY
    CATXMLAssign(oElement, new ElementImpl(st_, Node()));
    return S_OK;
    CATXML_CATCH
  }
};

class DocumentImpl : public NodeImpl<CATIDOMDocument> {
 public:
  explicit DocumentImpl(const CATXMLDocStatePtr& st) : NodeImpl(st, st->doc) {}

  HRESULT QueryInterface(const IID& iid, void** out) override {
    if (iid == CATIXMLXPathFactory::ClassId()) {
      if (!out) return E_INVALIDARG;
      // A tear-off: a new evaluator over this document's state (it keeps the state alive).
      *out = nullptr;
      try {
        *out = static_cast<CATIXMLXPathFactory*>(CATXMLMakeXPathFactory(st_));
      } catch (...) {
        return E_OUTOFMEMORY;
      }
      return S_OK;
    }
    return CATQueryInterfaceOf<CATIDOMDocument, CATIDOMNode>(this, iid, out);
  }

  HRESULT GetDocumentElement(CATIDOMElement_var& oElement) override {
    CATXML_TRY
    oElement = NULL_var;
    pugi::xml_node root = st_->doc.document_element();
    if (!root) return E_FAIL;
    CATXMLAssign(oElement, new ElementImpl(st_, root));
    return S_OK;
    CATXML_CATCH
  }

  HRESULT CreateElement(const CATUnicodeString& iTagName, CATIDOMElement_var& oElement) override {
    CATXML_TRY
    oElement = NULL_var;
    std::string name;
    if (!ToUTF8(iTagName, name) || !CATXMLChars::IsName(name)) return E_INVALIDARG;
    pugi::xml_node holder = st_->Holder();
    pugi::xml_node n = holder ? holder.append_child(name.c_str()) : pugi::xml_node();
    if (!n) return E_OUTOFMEMORY;
    CATXMLAssign(oElement, new ElementImpl(st_, n));
    return S_OK;
    CATXML_CATCH
  }

  HRESULT CreateTextNode(const CATUnicodeString& iData, CATIDOMText_var& oText) override {
    CATXML_TRY
    oText = NULL_var;
    pugi::xml_node n;
    HRESULT rc = CreateData(pugi::node_pcdata, iData, n);
    if (SUCCEEDED(rc)) CATXMLAssign(oText, new TextImpl(st_, n));
    return rc;
    CATXML_CATCH
  }

  HRESULT CreateCDATASection(const CATUnicodeString& iData, CATIDOMCDATASection_var& oSection) override {
    CATXML_TRY
    oSection = NULL_var;
    pugi::xml_node n;
    HRESULT rc = CreateData(pugi::node_cdata, iData, n);
    if (SUCCEEDED(rc)) CATXMLAssign(oSection, new CDATASectionImpl(st_, n));
    return rc;
    CATXML_CATCH
  }

  HRESULT CreateComment(const CATUnicodeString& iData, CATIDOMComment_var& oComment) override {
    CATXML_TRY
    oComment = NULL_var;
    pugi::xml_node n;
    HRESULT rc = CreateData(pugi::node_comment, iData, n);
    if (SUCCEEDED(rc)) CATXMLAssign(oComment, new CommentImpl(st_, n));
    return rc;
    CATXML_CATCH
  }

  HRESULT GetElementsByTagName(const CATUnicodeString& iName, CATIDOMNodeList_var& oList) override {
    CATXML_TRY
    std::string name;
    std::vector<CATXMLListEntry> entries;
    if (ToUTF8(iName, name)) entries = ElementsByTagName(st_->doc, name);
    CATXMLAssign(oList, CATXMLMakeNodeList(st_, std::move(entries)));
    return S_OK;
    CATXML_CATCH
  }

 private:
  HRESULT CreateData(pugi::xml_node_type type, const CATUnicodeString& iData, pugi::xml_node& out) {
    std::string data;
    if (!ToUTF8(iData, data) || !ValidData(type, data)) return E_INVALIDARG;
    pugi::xml_node holder = st_->Holder();
    out = holder ? holder.append_child(type) : pugi::xml_node();
    if (!out || !out.set_value(data.c_str())) return E_OUTOFMEMORY;
    return S_OK;
  }
};

class NodeListImpl : public CATIDOMNodeList {
 public:
  NodeListImpl(const CATXMLDocStatePtr& st, std::vector<CATXMLListEntry> entries)
      : st_(st), entries_(std::move(entries)) {}
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATIDOMNodeList>(this, iid, out);
  }
  HRESULT GetLength(unsigned int& oLength) override {
    oLength = static_cast<unsigned int>(std::min<size_t>(entries_.size(), 0xFFFFFFFFu));
    return S_OK;
  }
  HRESULT Item(unsigned int iIndex, CATIDOMNode_var& oNode) override {
    CATXML_TRY
    oNode = NULL_var;
    if (iIndex >= entries_.size()) return E_INVALIDARG;
    const CATXMLListEntry& e = entries_[iIndex];
    CATXMLAssign(oNode,
                 e.attr.empty() ? CATXMLMakeNode(st_, e.node) : CATXMLMakeAttribute(st_, e.node, e.attr));
    return S_OK;
    CATXML_CATCH
  }

 private:
  CATXMLDocStatePtr st_;
  std::vector<CATXMLListEntry> entries_;
};

}  // namespace

// ---------------------------------------------------------------------------------------------------------
// Factories

CATXMLNodeAccess* CATXMLAccessOf(CATIDOMNode* node) {
  return dynamic_cast<CATXMLNodeAccess*>(node);
}

CATIDOMNode* CATXMLMakeNode(const CATXMLDocStatePtr& st, pugi::xml_node node) {
  switch (node.type()) {
    case pugi::node_element:
      return new ElementImpl(st, node);
    case pugi::node_pcdata:
      return new TextImpl(st, node);
    case pugi::node_cdata:
      return new CDATASectionImpl(st, node);
    case pugi::node_comment:
      return new CommentImpl(st, node);
    case pugi::node_doctype:
      return new DocumentTypeImpl(st, node);
    case pugi::node_document:
      return new DocumentImpl(st);
    default:
      return new PlainNodeImpl(st, node);
  }
}

CATIDOMNode* CATXMLMakeAttribute(const CATXMLDocStatePtr& st, pugi::xml_node element,
                                 const std::string& name) {
  return new AttrImpl(st, element, name);
}

CATIDOMDocument* CATXMLMakeDocument(const CATXMLDocStatePtr& st) {
  return new DocumentImpl(st);
}

CATIDOMNodeList* CATXMLMakeNodeList(const CATXMLDocStatePtr& st, std::vector<CATXMLListEntry> entries) {
  return new NodeListImpl(st, std::move(entries));
}
