#ifndef ZELAttributesResponseXml_h
#define ZELAttributesResponseXml_h
// The reply of "GetMetadata" as the attribute viewer reads it: the item's attribute groups, each as display
// lines ready to show, and the owning location the PDM names in "Loc".
#include <vector>

#include "CATListOfCATUnicodeString.h"
#include "CATUnicodeString.h"
#include "ZELPlmExport.h"
#include "ZELRequestXml.h"

// One attribute group of the reply: its name and one display line per attribute, in document order.
struct ZELAttributeGroup {
  CATUnicodeString name;
  CATListValCATUnicodeString lines;
};

class ExportedByZELPlm ZELAttributesResponseXml : public ZELRequestXml {
 public:
  // Each group becomes a frame of controls in the viewer, so a reply is held to a number a window can show.
  static constexpr int kMaxGroups = 100;
  static constexpr int kMaxLinesPerGroup = 1000;
  // Labels shorter than this are padded to it and followed by a tab, so values line up.
  static constexpr int kLabelColumn = 20;

  ZELAttributesResponseXml();
  ~ZELAttributesResponseXml() override;

  // Appends the groups of "/*/Response/Group" (at most kMaxGroups, each with at most kMaxLinesPerGroup
  // lines). S_OK also without any group; E_FAIL when the document cannot be searched, or when a group's
  // attributes cannot be listed (the groups read before it stay).
  long GetResult(std::vector<ZELAttributeGroup>& groups) const;
  // The "OWNER" of the one "/*/Response/Loc"; hasOwner tells whether there was one. E_FAIL when the
  // document cannot be searched.
  long GetLocResult(CATUnicodeString& owner, bool& hasOwner) const;

  // label and value joined so that values line up: a label shorter than kLabelColumn is padded with blanks
  // to it and followed by a tab, a longer one by one blank. Line breaks become blanks, so that one
  // attribute stays one line.
  static CATUnicodeString LayoutLine(const CATUnicodeString& label, const CATUnicodeString& value);
};

#endif
