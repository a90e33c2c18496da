#ifndef CATClientNavigation_h
#define CATClientNavigation_h
// How the client program names the nodes of an editor's tree view in scripts: a path of segments joined
// by "/", from a root down. A segment names a node by its instance name ("prd-00012341.1"), its
// reference's external id ("prd-00012341") or name ("Front Wheel Assembly"), or, when nothing matches
// exactly, by the leading words of the name ("Front Wheel"). A segment that names several siblings is
// refused rather than guessed. Everything here that prints names escapes them for the transcript, and no
// walk recurses or revisits the fathers of a node, so a product of any depth costs in proportion to its size.
#include <functional>
#include <string>

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
  // One line per node of the editor's view, depth first, handed to emit as it is made: indented two blanks
  // per level, roots at level 1; a node below kMaxIndentedLevel stays at that level's indentation and its
  // line starts with "[level N] ". Selected nodes end with " *".
  static void TreeLines(CATFrmEditor* editor, const std::function<void(const std::string& line)>& emit);

  // Deeper levels would make the view's text grow with the square of its depth.
  static const int kMaxIndentedLevel = 32;
};

#endif
