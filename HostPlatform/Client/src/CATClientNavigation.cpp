#include "CATClientNavigation.h"

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

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
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
    for (const CATIPLMNavOccurrence_var& node : found) {
      Keys keys = KeysOf(node);
      error += " " + (keys.instance.empty() ? keys.externalId : keys.instance);
    }
  }
  return CATIPLMNavOccurrence_var();
}

bool IsSelectedLeaf(CATCSO* cso, CATBaseUnknown* node) {
  cso->InitElementList();
  while (CATBaseUnknown* element = cso->NextElement()) {
    CATPathElement_var path(element);
    if (path != NULL_var && path->GetSize() > 0 && path->Locate(node) == path->GetSize() - 1) return true;
  }
  return false;
}

void AddLines(CATFrmEditor* editor, const CATIPLMNavOccurrence_var& node, int depth,
              std::vector<std::string>& lines) {
  std::string line(static_cast<size_t>(depth) * 2, ' ');
  line += CATClientNavigation::Label(node);
  if (IsSelectedLeaf(editor->GetCSO(), node)) line += " *";
  lines.push_back(line);
  CATListValCATIPLMNavOccurrence_var children;
  if (SUCCEEDED(editor->ListChildrenInView(node, children)))
    for (const CATIPLMNavOccurrence_var& child : children) AddLines(editor, child, depth + 1, lines);
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
    if (FAILED(editor->ListChildrenInView(node, candidates))) {
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
    std::string segment;
    if (occurrence != NULL_var) {
      Keys keys = KeysOf(occurrence);
      segment = keys.instance.empty() ? keys.externalId : keys.instance;
    } else {
      segment = Label(path[i]);
    }
    text += (i ? "/" : "") + segment;
  }
  return text;
}

std::string CATClientNavigation::Label(CATBaseUnknown* object) {
  std::string label;
  CATINavigateObject_var navigable(object);
  CATListValCATUnicodeString texts;
  if (navigable != NULL_var && SUCCEEDED(navigable->GetIdentificators(texts))) {
    for (const CATUnicodeString& text : texts) label += (label.empty() ? "" : " ") + text.ConvertToUTF8();
    return label;
  }
  CATIAlias_var alias(object);
  return alias != NULL_var ? alias->GetAlias().ConvertToUTF8() : std::string("?");
}

void CATClientNavigation::TreeLines(CATFrmEditor* editor, std::vector<std::string>& lines) {
  CATListValCATIPLMNavOccurrence_var roots;
  if (!editor || FAILED(editor->ListRootOccurrences(roots))) return;
  for (const CATIPLMNavOccurrence_var& root : roots) AddLines(editor, root, 1, lines);
}
