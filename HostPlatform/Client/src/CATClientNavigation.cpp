#include "CATClientNavigation.h"

#include <unordered_set>
#include <utility>
#include <vector>

#include "CATClientText.h"
#include "CATIAlias.h"
#include "CATINavigateObject.h"
#include "CATIPLMNavOccurrence.h"

namespace {

std::string Attribute(const CATIPLMNavEntity_var& entity, const char* name) {
  CATListValCATUnicodeString values;
  if (entity == NULL_var || FAILED(entity->GetAttributeValues(CATListValCATUnicodeString{name}, values)) ||
      values.Size() != 1)
    return std::string();
  return values[1].ConvertToUTF8();
}

// Names a node answers to: instance name (below the root), reference external id and reference name.
struct Keys {
  std::string instance, externalId, name;
};

Keys KeysOf(const CATIPLMNavOccurrence_var& occurrence) {
  Keys keys;
  CATIPLMNavEntity_var reference, instance;
  if (SUCCEEDED(occurrence->GetReference(reference))) {
    keys.externalId = Attribute(reference, "PLM_ExternalID");
    keys.name = Attribute(reference, "name");
  }
  if (SUCCEEDED(occurrence->GetInstance(instance))) keys.instance = Attribute(instance, "PLM_ExternalID");
  return keys;
}

// The segment a path prints for a node, unescaped.
std::string SegmentOf(const Keys& keys) {
  return keys.instance.empty() ? keys.externalId : keys.instance;
}

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// The children of a node that is itself in the view. Only the children are checked against the branches
// taken out, since a walk from the roots down has checked the fathers already.
HRESULT ChildrenInView(CATFrmEditor* editor, const CATIPLMNavOccurrence_var& node,
                       CATListValCATIPLMNavOccurrence_var& inView) {
  CATListValCATIPLMNavOccurrence_var children;
  if (node == NULL_var || FAILED(node->ListChildren(children))) return E_FAIL;
  for (const CATIPLMNavOccurrence_var& child : children)
    if (!editor->IsRemovedItself(child)) inView.Append(child);
  return S_OK;
}

// The one candidate the segment names, or null with the reason.
CATIPLMNavOccurrence_var Match(const CATListValCATIPLMNavOccurrence_var& candidates,
                               const std::string& segment, const std::string& where, std::string& error) {
  std::vector<CATIPLMNavOccurrence_var> exact, prefix;
  for (const CATIPLMNavOccurrence_var& candidate : candidates) {
    Keys keys = KeysOf(candidate);
    if (segment == keys.instance || segment == keys.externalId || segment == keys.name)
      exact.push_back(candidate);
    else if (keys.name.size() > segment.size() && keys.name.compare(0, segment.size(), segment) == 0 &&
             keys.name[segment.size()] == ' ')
      prefix.push_back(candidate);
  }
  const std::vector<CATIPLMNavOccurrence_var>& found = exact.empty() ? prefix : exact;
  if (found.size() == 1) return found.front();
  if (found.empty()) {
    error = "no \"" + segment + "\" " + where;
  } else {
    error = "\"" + segment + "\" is ambiguous " + where + ":";
    for (const CATIPLMNavOccurrence_var& node : found)
      error += " " + CATClientText::Escaped(SegmentOf(KeysOf(node)));
  }
  return CATIPLMNavOccurrence_var();
}

// The object as paths hold it: the address its CATBaseUnknown answers, whatever interface it came through.
CATBaseUnknown* IdentityOf(CATBaseUnknown* object) {
  if (!object) return nullptr;
  void* identity = nullptr;
  if (FAILED(object->QueryInterface(IID_CATBaseUnknown, &identity)) || !identity) return object;
  static_cast<CATBaseUnknown*>(identity)->Release();  // the object holds it while the caller does
  return static_cast<CATBaseUnknown*>(identity);
}

// The leaves of the selected paths, so that marking a node costs one look-up however deep the paths are.
std::unordered_set<CATBaseUnknown*> SelectedLeaves(CATCSO* cso) {
  std::unordered_set<CATBaseUnknown*> leaves;
  cso->InitElementList();
  while (CATBaseUnknown* element = cso->NextElement()) {
    CATPathElement_var path(element);
    if (path != NULL_var && path->GetSize() > 0) leaves.insert((*path)[path->GetSize() - 1]);
  }
  return leaves;
}

std::string TreeLine(const std::string& label, int level, bool selected) {
  const int indented =
      level < CATClientNavigation::kMaxIndentedLevel ? level : CATClientNavigation::kMaxIndentedLevel;
  std::string line(static_cast<size_t>(indented) * 2, ' ');
  if (level > CATClientNavigation::kMaxIndentedLevel) line += "[level " + std::to_string(level) + "] ";
  line += label;
  if (selected) line += " *";
  return line;
}

}  // namespace

CATPathElement* CATClientNavigation::Resolve(CATFrmEditor* editor, const std::string& text,
                                             std::string& error) {
  CATListValCATIPLMNavOccurrence_var candidates;
  if (!editor || FAILED(editor->ListRootOccurrences(candidates))) {
    error = "no editor to select in";
    return nullptr;
  }
  std::vector<std::string> segments;
  for (size_t start = 0;;) {
    size_t slash = text.find('/', start);
    segments.push_back(
        Trim(text.substr(start, slash == std::string::npos ? std::string::npos : slash - start)));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  CATPathElement_var path(new CATPathElement);
  path->Release();  // the handler holds the only reference
  std::string where = "among the roots";
  for (const std::string& segment : segments) {
    if (segment.empty()) {
      error = "empty name in path \"" + text + "\"";
      return nullptr;
    }
    CATIPLMNavOccurrence_var node = Match(candidates, segment, where, error);
    if (node == NULL_var) return nullptr;
    path->AddChildElement(node);
    candidates.RemoveAll();
    if (FAILED(ChildrenInView(editor, node, candidates))) {
      error = "cannot list the children of \"" + segment + "\"";
      return nullptr;
    }
    where = "under \"" + segment + "\"";
  }
  CATPathElement* result = path;
  result->AddRef();
  return result;
}

std::string CATClientNavigation::PathText(const CATPathElement& path) {
  std::string text;
  for (int i = 0; i < path.GetSize(); ++i) {
    CATIPLMNavOccurrence_var occurrence(path[i]);
    text += i ? "/" : "";
    text += occurrence != NULL_var ? CATClientText::Escaped(SegmentOf(KeysOf(occurrence))) : Label(path[i]);
  }
  return text;
}

std::string CATClientNavigation::Label(CATBaseUnknown* object) {
  std::string label;
  CATINavigateObject_var navigable(object);
  CATListValCATUnicodeString texts;
  if (navigable != NULL_var && SUCCEEDED(navigable->GetIdentificators(texts))) {
    for (const CATUnicodeString& text : texts) label += (label.empty() ? "" : " ") + text.ConvertToUTF8();
    return CATClientText::Escaped(label);
  }
  CATIAlias_var alias(object);
  return alias != NULL_var ? CATClientText::Escaped(alias->GetAlias().ConvertToUTF8()) : std::string("?");
}

void CATClientNavigation::TreeLines(CATFrmEditor* editor,
                                    const std::function<void(const std::string& line)>& emit) {
  CATListValCATIPLMNavOccurrence_var roots;
  if (!editor || FAILED(editor->ListRootOccurrences(roots))) return;
  const std::unordered_set<CATBaseUnknown*> selected = SelectedLeaves(editor->GetCSO());
  // Nodes still to show with their level, the next one last: an explicit stack, as a product may be
  // deeper than the program's stack allows to recurse.
  std::vector<std::pair<CATIPLMNavOccurrence_var, int>> pending;
  for (int i = roots.Size(); i >= 1; --i) pending.emplace_back(roots[i], 1);
  while (!pending.empty()) {
    const CATIPLMNavOccurrence_var node = pending.back().first;
    const int level = pending.back().second;
    pending.pop_back();
    emit(TreeLine(Label(node), level, selected.count(IdentityOf(node)) != 0));
    CATListValCATIPLMNavOccurrence_var children;
    if (FAILED(ChildrenInView(editor, node, children))) continue;
    for (int i = children.Size(); i >= 1; --i) pending.emplace_back(children[i], level + 1);
  }
}
