#include "ZELQueryItemDialog.h"

#include "CATDlgCombo.h"
#include "CATDlgEditor.h"
#include "CATDlgLabel.h"
#include "CATDlgPushButton.h"
#include "CATSysSettingRepository.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELPlmCommands.h"
#include "ZELPlmDialogResources.h"

namespace {

constexpr CATDlgStyle kDialogStyle = 0x2A01UL;
constexpr CATDlgStyle kComboStyle = 0x40000UL;
constexpr int kComboWidth = 20;
constexpr int kFixedRows = 3;
const char* const kRepository = "ZELDialogInput";
const char* const kTypeAttribute = "QueryItemType";
const char* const kNamesAttribute = "QueryAttrNames";
const char* const kValuesAttribute = "QueryAttrValues";

// The last applied input of this client run, shared by every query dialog (user-interface thread only).
struct RememberedInput {
  CATUnicodeString type;
  CATListValCATUnicodeString names;
  CATListValCATUnicodeString values;

  bool IsEmpty() const {
    if (!type.IsNull()) return false;
    for (int i = 1; i <= values.Size(); ++i)
      if (!values[i].IsNull()) return false;
    return true;
  }
  int Find(const CATUnicodeString& name) const {
    for (int i = 1; i <= names.Size() && i <= values.Size(); ++i)
      if (names[i] == name) return i;
    return 0;
  }
};

RememberedInput& Remembered() {
  static RememberedInput input;
  return input;
}

}  // namespace

ZELQueryItemDialog::ZELQueryItemDialog(CATDialog* iParent, const CATString& iDialogName)
    : CATDlgDialog(iParent, iDialogName, kDialogStyle),
      _resourceFilename(CATString(ZELGlobal::GetZELModulePrefix()) + "QueryItemDialog") {}

ZELQueryItemDialog::~ZELQueryItemDialog() = default;

const char* ZELQueryItemDialog::GetResourceFilename(int iLevel) {
  if (iLevel == 0) return _resourceFilename;
  // The platform's own lookup would name the class's resource file here.
  if (iLevel == 1) return "ZELQueryItemDialog";
  return CATDlgDialog::GetResourceFilename(iLevel - 1);
}

void ZELQueryItemDialog::Build() {
  ZEL_DEBUG_SCOPE("ZELQueryItemDialog::Build");
  _pItemTypeCombo = new CATDlgCombo(this, "itemTypeCombo", kComboStyle);
  _pItemTypeCombo->SetGridConstraints(0, 1, 1, 1, CATGRID_4SIDES);
  _pItemTypeCombo->SetVisibleTextWidth(kComboWidth);
  _pItemTypeLabel = new CATDlgLabel(this, "itemTypeLabel");
  _pItemTypeLabel->SetGridConstraints(0, 0, 1, 1, CATGRID_LEFT);
  _pClearButton = new CATDlgPushButton(this, "ClearInput");
  _pClearButton->SetGridConstraints(0, 2, 1, 1, CATGRID_CENTER);
  SetGridRowResizable(kFixedRows);
  SetGridColumnResizable(1);

  const CATCommandMethod cancel = static_cast<CATCommandMethod>(&ZELQueryItemDialog::OnCancel);
  AddAnalyseNotificationCB(this, GetDiaAPPLYNotification(),
                           static_cast<CATCommandMethod>(&ZELQueryItemDialog::OnApply), nullptr);
  AddAnalyseNotificationCB(this, GetDiaCANCELNotification(), cancel, nullptr);
  AddAnalyseNotificationCB(this, GetWindCloseNotification(), cancel, nullptr);
  AddAnalyseNotificationCB(_pClearButton, _pClearButton->GetPushBActivateNotification(),
                           static_cast<CATCommandMethod>(&ZELQueryItemDialog::OnClear), nullptr);

  ZELPlmDialogResources::Apply(this, "QueryItemDialog");
  SetDefaultButton(CATDlgWndBtnApply);
  SetHELPSensitivity(CATDlgDisable);
  SetOKSensitivity(CATDlgDisable);
  SetPREVIEWSensitivity(CATDlgDisable);
}

void ZELQueryItemDialog::SetItemTypes(const CATListValCATUnicodeString& iTypes) {
  if (!_pItemTypeCombo) return;
  for (int i = 1; i <= iTypes.Size(); ++i) _pItemTypeCombo->SetLine(iTypes[i]);
}

void ZELQueryItemDialog::BuildAttributes(const CATListValCATUnicodeString& iDisplayNames,
                                         const CATListValCATUnicodeString& iNames) {
  ZEL_DEBUG_SCOPE("ZELQueryItemDialog::BuildAttributes");
  if (iNames.Size() == 0 || iNames.Size() != iDisplayNames.Size()) {
    ZEL_DETAIL("attribute names ", iNames.Size(), ", display names ", iDisplayNames.Size());
    return;
  }
  SetGridRowResizable(kFixedRows, 0);
  for (int i = 1; i <= iNames.Size(); ++i) {
    auto* label = new CATDlgLabel(this, CATString(iDisplayNames[i].ConvertToUTF8().c_str()));
    label->SetGridConstraints(i, 0, 1, 1, CATGRID_LEFT);
    // Without an entry in the resource file the label shows its identifier, the display name.
    if (label->GetTitle().IsNull()) label->SetTitle(iDisplayNames[i]);
    auto* editor = new CATDlgEditor(this, CATString(iNames[i].ConvertToUTF8().c_str()));
    editor->SetGridConstraints(i, 1, 1, 1, CATGRID_4SIDES);
    _attributeEditors.push_back(editor);
    _attributeNames.Append(iNames[i]);
  }
  SetGridRowResizable(iNames.Size() + kFixedRows);
}

void ZELQueryItemDialog::RestoreDialogValues() {
  ZEL_DEBUG_SCOPE("ZELQueryItemDialog::RestoreDialogValues");
  RememberedInput& memory = Remembered();
  // Within a run the memory is the truth; the repository only seeds the first dialog of a run.
  if (memory.IsEmpty()) {
    CATSysSettingRepository* repository = CATSysSettingRepository::GetRepository(kRepository);
    if (repository) {
      CATUnicodeString type;
      if (SUCCEEDED(repository->ReadAttr(kTypeAttribute, type)) && !type.IsNull()) memory.type = type;
      CATListValCATUnicodeString names, values;
      if (SUCCEEDED(repository->ReadArray(kNamesAttribute, names)) &&
          SUCCEEDED(repository->ReadArray(kValuesAttribute, values)) && names.Size() > 0 &&
          names.Size() == values.Size()) {
        for (int i = 1; i <= names.Size(); ++i) {
          if (names[i].IsNull()) continue;
          if (const int at = memory.Find(names[i])) {
            memory.values[at] = values[i];
          } else if (_attributeNames.Locate(names[i]) > 0) {
            // An attribute the gateway no longer offers would only carry a stale value into later queries.
            memory.names.Append(names[i]);
            memory.values.Append(values[i]);
          }
        }
      }
      repository->Release();
    } else {
      ZEL_FAILURE_POINT();
    }
  }
  if (_pItemTypeCombo) _pItemTypeCombo->SetSelect(memory.type);
  for (size_t e = 0; e < _attributeEditors.size(); ++e) {
    const CATUnicodeString& name = _attributeNames[static_cast<int>(e) + 1];
    const int at = name.IsNull() ? 0 : memory.Find(name);
    if (at && !memory.values[at].IsNull()) _attributeEditors[e]->SetText(memory.values[at]);
  }
}

void ZELQueryItemDialog::StoreDialogValues(const CATUnicodeString& iType,
                                           const CATListValCATUnicodeString& iNames,
                                           const CATListValCATUnicodeString& iValues) {
  ZEL_DEBUG_SCOPE("ZELQueryItemDialog::StoreDialogValues");
  RememberedInput& memory = Remembered();
  memory.type = iType;
  memory.names = iNames;
  memory.values = iValues;
  CATSysSettingRepository* repository = CATSysSettingRepository::GetRepository(kRepository);
  if (!repository) {
    ZEL_FAILURE_POINT();
    return;
  }
  if (FAILED(repository->WriteAttr(kTypeAttribute, iType)) ||
      FAILED(repository->WriteArray(kNamesAttribute, iNames)) ||
      FAILED(repository->WriteArray(kValuesAttribute, iValues)) || FAILED(repository->SaveRepository()))
    ZEL_FAILURE_POINT();
  repository->Release();
}

void ZELQueryItemDialog::GetAttributes(CATListValCATUnicodeString& oNames,
                                       CATListValCATUnicodeString& oValues) const {
  oNames.RemoveAll();
  oValues.RemoveAll();
  for (size_t e = 0; e < _attributeEditors.size(); ++e) {
    oNames.Append(_attributeNames[static_cast<int>(e) + 1]);
    oValues.Append(_attributeEditors[e]->GetText());
  }
}

void ZELQueryItemDialog::OnApply(CATCommand*, CATNotification*, CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELQueryItemDialog::OnApply");
  SetVisibility(CATDlgHide);
  CATUnicodeString type;
  if (_pItemTypeCombo && _pItemTypeCombo->GetSelect() >= 0)
    _pItemTypeCombo->GetLine(type, _pItemTypeCombo->GetSelect());
  CATListValCATUnicodeString names, values;
  GetAttributes(names, values);
  ZEL_DETAIL("ZELQueryItem Dialog Values");
  for (int i = 1; i <= names.Size(); ++i)
    ZEL_DETAIL(names[i].ConvertToUTF8(), ": ", values[i].ConvertToUTF8());
  StoreDialogValues(type, names, values);
  // A failed query is not reported: the gateway's reasons are in the trace.
  if (FAILED(ZELPlmCommands::DoQuery(type, names, values))) ZEL_FAILURE_POINT();
  RequestDelayedDestruction();
}

void ZELQueryItemDialog::OnCancel(CATCommand*, CATNotification*, CATCommandClientData) {
  SetVisibility(CATDlgHide);
  RequestDelayedDestruction();
}

void ZELQueryItemDialog::OnClear(CATCommand*, CATNotification*, CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELQueryItemDialog::OnClear");
  // Clearing leaves the remembered input alone: the next dialog still offers the last applied query. The
  // type is taken back only when one was remembered; a type just chosen stays for the next query.
  if (_pItemTypeCombo && !Remembered().type.IsNull()) _pItemTypeCombo->SetSelect(CATUnicodeString());
  for (CATDlgEditor* editor : _attributeEditors) editor->SetText(CATUnicodeString());
}
