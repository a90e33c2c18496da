#ifndef ZELShowAttributesDialog_h
#define ZELShowAttributesDialog_h
// The read-only window of what the PDM holds about one component: its type, a few header lines (part
// number, version, owning location) and one frame per attribute group. It lives until the user closes it.
#include <vector>

#include "CATDlgDialog.h"
#include "CATListOfCATUnicodeString.h"
#include "CATString.h"
#include "ZELAttributesResponseXml.h"

class CATDlgEditor;
class CATDlgFrame;
class CATDlgLabel;
class CATDlgSeparator;

class ZELShowAttributesDialog : public CATDlgDialog {
 public:
  ZELShowAttributesDialog(CATDialog* iParent, const CATString& iDialogName);
  ~ZELShowAttributesDialog() override;

  // What Build shows; everything is copied.
  void SetResponse(const CATUnicodeString& iTypeName, const CATListValCATUnicodeString& iHeaderLines,
                   const std::vector<ZELAttributeGroup>& iGroups);
  void Build();

  const char* GetResourceFilename(int iLevel) override;

  void ZELShowAttributesDialog_Close(CATCommand* iSender, CATNotification* iNotification,
                                     CATCommandClientData iData);

 private:
  CATUnicodeString _typeName;
  CATListValCATUnicodeString _headerLines;
  // Emptied once Build has put them into controls; the controls hold the texts from then on.
  std::vector<ZELAttributeGroup> _groups;
  CATDlgEditor* _pSelectedTypeEditor = nullptr;
  CATDlgEditor* _pSelectedAttributeEditor = nullptr;
  CATString _resourceFilename;
};

#endif
