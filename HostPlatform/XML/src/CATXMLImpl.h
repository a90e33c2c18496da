#ifndef CATXMLImpl_h
#define CATXMLImpl_h
// Private to CATXMLParserItf: the document state shared by every handler of one document, and the
// implementation classes of the DOM interfaces over pugixml.
//
// pugixml cannot hold a node outside its tree, so nodes created by a document live in a second pugixml
// document ("limbo") under a holder element until they are placed. Placing one copies its subtree into the
// tree and records, for every node of the subtree, where its copy is; the originals move to a graveyard
// element of the limbo and are never freed, so a handler held on an original follows the map to the copy.
// Nodes of the tree are never freed while the state lives (the API offers no node removal), so handlers
// and snapshot lists never dangle.
#include <pugixml.hpp>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "CATIDOMAttr.h"
#include "CATIDOMCDATASection.h"
#include "CATIDOMComment.h"
#include "CATIDOMDocument.h"
#include "CATIDOMDocumentType.h"
#include "CATIDOMElement.h"
#include "CATIDOMNodeList.h"
#include "CATIDOMText.h"
#include "CATIXMLInputSource.h"
#include "CATIXMLXPathFactory.h"
#include "CATListOfCATUnicodeString.h"

struct CATXMLDocState {
  // The parsed text (pugixml parses in place, so it must outlive `doc`: declared first, destroyed last).
  std::string buffer;
  pugi::xml_document doc;
  std::unique_ptr<pugi::xml_document> limbo;
  pugi::xml_node holder;
  pugi::xml_node graveyard;
  std::unordered_map<pugi::xml_node_struct*, pugi::xml_node_struct*> moved;

  // The holder of nodes not yet placed (created on first use); empty handle when memory runs out.
  pugi::xml_node Holder();
  bool InLimbo(pugi::xml_node n) const { return limbo && n && n.root() == *limbo; }
  // Where a node created outside the tree is now (itself when never placed).
  pugi::xml_node Resolve(pugi::xml_node n) const;
  // A node not placed in the tree: in limbo (top-level under the holder or below such a node).
  bool IsDetachedTop(pugi::xml_node n) const { return InLimbo(n) && n.parent() == holder; }
  // Copies the limbo subtree `node` to the tree (append under parent, or before `before` when given) and
  // records the copies; returns the copy (empty handle on failure).
  pugi::xml_node PlaceFromLimbo(pugi::xml_node node, pugi::xml_node parent, pugi::xml_node before);
};
typedef std::shared_ptr<CATXMLDocState> CATXMLDocStatePtr;

// Characters and names (XML 1.0, fifth edition).
namespace CATXMLChars {
// Offset of the first byte that is not valid UTF-8 or not an XML character; npos when all are valid.
size_t FindInvalid(std::string_view utf8);
bool IsName(std::string_view utf8);
bool IsSpace(char c);
// Conversions at the interface boundary, by the platform's codec: a lone surrogate or an invalid sequence
// becomes U+FFFD.
std::string ToUTF8(const CATUnicodeString& text);
CATUnicodeString FromUTF8(std::string_view text);
// Escapes for writing.
void AppendText(std::string& out, std::string_view text);
void AppendAttributeValue(std::string& out, std::string_view value);
}  // namespace CATXMLChars

// Documents with elements nested deeper than this are refused by the parser: no reader of a document has to
// follow a chain of elements without end, whether it walks, writes or prints the tree.
constexpr size_t kCATXMLMaxDepth = 1000;

// Visits every node below root in document order without recursion, so deep documents cannot exhaust the
// stack, with its depth below root (1 for root's children); the walk stops early when visit returns
// false, and the answer says whether it ran to the end.
template <class Visit>
bool CATXMLWalkWithDepth(pugi::xml_node root, Visit visit) {
  pugi::xml_node cur = root.first_child();
  size_t depth = 1;
  while (cur) {
    if (!visit(cur, depth)) return false;
    if (cur.first_child()) {
      cur = cur.first_child();
      ++depth;
      continue;
    }
    while (cur != root && !cur.next_sibling()) {
      cur = cur.parent();
      --depth;
    }
    if (cur == root) break;
    cur = cur.next_sibling();
  }
  return true;
}

template <class Visit>
bool CATXMLWalk(pugi::xml_node root, Visit visit) {
  return CATXMLWalkWithDepth(root, [&visit](pugi::xml_node n, size_t) { return visit(n); });
}

// Catches exceptions at the interface boundary: no exception crosses a platform interface.
#define CATXML_TRY try {
#define CATXML_CATCH              \
  }                               \
  catch (const std::bad_alloc&) { \
    return E_OUTOFMEMORY;         \
  }                               \
  catch (...) {                   \
    return E_FAIL;                \
  }

// Identifies a node behind any of the DOM interfaces of this library (cross-cast target).
class CATXMLNodeAccess {
 public:
  virtual ~CATXMLNodeAccess() = default;
  const CATXMLDocStatePtr& State() const { return st_; }
  // The node itself (for an attribute: its element), following a placement.
  pugi::xml_node Node() const {
    if (!st_->moved.empty() && st_->InLimbo(n_)) n_ = st_->Resolve(n_);
    return n_;
  }
  // The attribute name for attribute nodes, empty otherwise.
  const std::string& AttributeName() const { return attr_; }
  bool IsAttribute() const { return !attr_.empty(); }

 protected:
  CATXMLNodeAccess(CATXMLDocStatePtr st, pugi::xml_node n, std::string attr = std::string())
      : st_(std::move(st)), n_(n), attr_(std::move(attr)) {}
  CATXMLDocStatePtr st_;
  mutable pugi::xml_node n_;
  std::string attr_;
};

// The implementation object behind a node handler of this library; null for foreign objects.
CATXMLNodeAccess* CATXMLAccessOf(CATIDOMNode* node);

// A new handler (one reference, owned by the caller) for a node or an attribute of a document.
CATIDOMNode* CATXMLMakeNode(const CATXMLDocStatePtr& st, pugi::xml_node node);
CATIDOMNode* CATXMLMakeAttribute(const CATXMLDocStatePtr& st, pugi::xml_node element,
                                 const std::string& name);
CATIDOMDocument* CATXMLMakeDocument(const CATXMLDocStatePtr& st);

// A node list over a snapshot of entries (attr empty: the node itself; else the node's attribute attr).
struct CATXMLListEntry {
  pugi::xml_node node;
  std::string attr;
};
CATIDOMNodeList* CATXMLMakeNodeList(const CATXMLDocStatePtr& st, std::vector<CATXMLListEntry> entries);

// Stores a fresh object (one reference) in a handler, which takes over that reference.
template <class Itf, class Obj>
void CATXMLAssign(CATVar<Itf>& out, Obj* fresh) {
  out = static_cast<Itf*>(fresh);
  if (fresh) fresh->Release();
}

// The XPath factory tear-off of a document.
CATIXMLXPathFactory* CATXMLMakeXPathFactory(const CATXMLDocStatePtr& st);

// The input source behind CATIXMLInputSource handlers of this library.
class CATXMLInputSourceImpl : public CATIXMLInputSource {
 public:
  // Over a text (UTF-8) or over a file (path in UTF-8).
  CATXMLInputSourceImpl(bool fromFile, std::string textOrPath, CATUnicodeString systemId)
      : fromFile_(fromFile), data_(std::move(textOrPath)), systemId_(std::move(systemId)) {}
  HRESULT QueryInterface(const IID& iid, void** out) override;
  HRESULT GetSystemId(CATUnicodeString& oSystemId) override;
  // The document as UTF-8 (a file is read and decoded here); false with a message on failure.
  bool Load(std::string& utf8, std::string& error) const;

 private:
  bool fromFile_;
  std::string data_;
  CATUnicodeString systemId_;
};

// Parsing: fills st->doc from st->buffer (UTF-8). On failure returns false with a message and the byte
// offset in the buffer where the problem was found.
bool CATXMLParseBuffer(CATXMLDocState& st, std::string& message, size_t& offset);

// Writing.
struct CATXMLWriteOptions {
  std::string encoding;  // empty: declaration without encoding
  int indentation = -1;  // -1: compact
};
// Reads the writer parameters; E_INVALIDARG for unknown names, bad values or unequal lists.
HRESULT CATXMLReadWriteOptions(const CATListOfCATUnicodeString* names,
                               const CATListOfCATUnicodeString* values, bool forFile,
                               CATXMLWriteOptions& options);
void CATXMLWrite(const pugi::xml_node& document, const CATXMLWriteOptions& options, std::string& out);

#endif
