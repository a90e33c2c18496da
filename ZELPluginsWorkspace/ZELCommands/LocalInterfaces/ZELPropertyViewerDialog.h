#ifndef ZELPropertyViewerDialog_h
#define ZELPropertyViewerDialog_h
// The text window of the property viewer: one read-only multi-line editor; every button and closing the
// window dismiss it.
#include "CATDlgDialog.h"

class CATDlgEditor;

class ZELPropertyViewerDialog : public CATDlgDialog {
 public:
  ZELPropertyViewerDialog(CATCommand* iParent, const CATString& iName);
  ~ZELPropertyViewerDialog() override;

  void Build();
  void SetText(CATUnicodeString iText);
  const char* GetResourceFilename(int iLevel) override;

 private:
  void ZELPropertyViewerDialog_Dismissed(CATCommand*, CATNotification*, CATCommandClientData);

  CATDlgEditor* _pEditor = nullptr;
};

#endif
