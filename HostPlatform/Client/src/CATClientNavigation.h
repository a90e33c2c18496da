#ifndef CATClientNavigation_h
#define CATClientNavigation_h
// How the client program names the nodes of an editor's tree view in scripts: a path of segments joined
// by "/", from a root down. A segment names a node by its instance name ("prd-00012341.1"), its
// reference's external id ("prd-00012341") or name ("Front Wheel Assembly"), or, when nothing matches
// exactly, by the leading words of the name ("Front Wheel"). A segment that names several siblings is
// refused rather than guessed.
#include <string>
#include <vector>

#include "CATFrmEditor.h"
#include "CATPathElement.h"

class CATClientNavigation {
 public:
  // The path the text names in the editor's view (nodes taken out of the view cannot be named), with one
  // reference for the caller; null with the reason in error.
  static CATPathElement* Resolve(CATFrmEditor* editor, const std::string& text, std::string& error);
  // The path written back in script form: the root's external id, then instance names.
  static std::string PathText(const CATPathElement& path);
  // What the navigator shows for a node (its identificators joined by blanks), else its alias.
  static std::string Label(CATBaseUnknown* object);
  // One line per node of the editor's view, indented by depth; selected nodes end with " *".
  static void TreeLines(CATFrmEditor* editor, std::vector<std::string>& lines);
};

#endif
