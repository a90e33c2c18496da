#ifndef CATIUserSettings_h
#define CATIUserSettings_h
// A page of the options dialog as the dialog drives it: built once on its page, filled, and told about OK
// (commit), Cancel (roll back) and Reset (the administrator's values, then filled again).
#include "CATBaseUnknown.h"
#include "CATDialogExport.h"

class CATEditorPage;

CATDeclareIID(CATIUserSettings);

class ExportedByCATDialog CATIUserSettings : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIUserSettings);
  virtual void BuildEditor(CATEditorPage* page) = 0;
  virtual void SetUserSettingsValue() = 0;
  virtual void ResetUserSettingsValue() = 0;
  virtual void CommitModification() = 0;
  virtual void CancelModification() = 0;
};
CATDeclareHandler(CATIUserSettings);

// The base of settings editors: every operation does nothing until overridden.
class ExportedByCATDialog CATEditor : public CATIUserSettings {
 public:
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATIUserSettings>(this, iid, out);
  }
  void BuildEditor(CATEditorPage*) override {}
  void SetUserSettingsValue() override {}
  void ResetUserSettingsValue() override {}
  void CommitModification() override {}
  void CancelModification() override {}
};

#endif
