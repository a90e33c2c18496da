#include "ZELSendToV6Dialog.h"

#include <climits>
#include <initializer_list>

#include "CATApplication.h"
#include "CATDlgCheckButton.h"
#include "CATDlgCombo.h"
#include "CATDlgEditor.h"
#include "CATDlgFrame.h"
#include "CATDlgNotify.h"
#include "CATDlgPushButton.h"
#include "CATDlgRadioButton.h"
#include "CATDlgSeparator.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELPlmCommands.h"

namespace {

constexpr CATDlgStyle kDialogStyle = 0xE01UL;
constexpr CATDlgStyle kFrameStyle = 0x1UL;
constexpr CATDlgStyle kIntegerEditorStyle = 0x200000UL;
constexpr CATDlgStyle kComboStyle = 0x40000UL;
constexpr CATDlgStyle kInformationStyle = 0x4100000UL;
constexpr CATDlgStyle kErrorStyle = 0x10100000UL;
constexpr int kVisibleWidth = 20;
constexpr int kInitialDepth = 2;

CATUnicodeString Message(const char* key) {
  return ZELGlobal::BuildMessage("SendToV6Dialog", key, nullptr, 0,
                                 CATUnicodeString("ZELSendToV6Dialog ") + key);
}

void ShowBox(const char* resourceName, CATDlgStyle style, const CATUnicodeString& text) {
  ZEL_DETAIL(text.ConvertToUTF8());
  CATDlgNotify* box = new CATDlgNotify(CATApplication::MainApplication(), resourceName, style);
  box->DisplayBlocked(text, Message("MsgTitle"));
  box->Release();
}

void SetHelpTexts(CATDialog* control, const CATUnicodeString& text) {
  control->SetHelp(text);
  control->SetShortHelp(text);
  control->SetLongHelp(text);
}

CATDlgCheckButton* NewCheckButton(CATDialog* parent, const char* name, int row, int columnSpan,
                                  const char* title, const char* help) {
  CATDlgCheckButton* button = new CATDlgCheckButton(parent, name);
  button->SetGridConstraints(row, 0, 1, columnSpan, CATGRID_LEFT);
  button->SetTitle(title);
  if (help) SetHelpTexts(button, help);
  return button;
}

CATDlgRadioButton* NewRadioButton(CATDialog* parent, const char* name, int row, const char* title) {
  CATDlgRadioButton* button = new CATDlgRadioButton(parent, name);
  button->SetGridConstraints(row, 0, 1, 1, CATGRID_LEFT);
  button->SetTitle(title);
  return button;
}

CATDlgCombo* NewCombo(CATDialog* parent, const char* name, int row, const char* help) {
  CATDlgCombo* combo = new CATDlgCombo(parent, name, kComboStyle);
  combo->SetGridConstraints(row, 0, 1, 4, CATGRID_4SIDES);
  combo->SetVisibleTextWidth(kVisibleWidth);
  SetHelpTexts(combo, help);
  combo->SetSensitivity(CATDlgDisable);
  return combo;
}

bool IsChecked(const CATDlgCheckButton* button) {
  return button->GetState() == CATDlgCheck;
}

bool IsChecked(const CATDlgRadioButton* button) {
  return button->GetState() == CATDlgCheck;
}

CATULong EnabledWhen(bool condition) {
  return condition ? CATDlgEnable : CATDlgDisable;
}

// The line the combo shows, or an empty text when it shows none.
CATUnicodeString SelectedLine(const CATDlgCombo* combo, const CATListValCATUnicodeString& lines) {
  const int position = combo->GetSelect() + 1;
  if (position < 1 || position > lines.Size()) return CATUnicodeString();
  return lines[position];
}

}  // namespace

ZELSendToV6Dialog::ZELSendToV6Dialog(CATDialog* iParent, const CATString& iDialogName)
    : CATDlgDialog(iParent, iDialogName, kDialogStyle),
      _pParent(iParent),
      _resourceFilename(CATString(ZELGlobal::GetZELModulePrefix()) + "SendToV6Dialog") {}

ZELSendToV6Dialog::~ZELSendToV6Dialog() = default;

const char* ZELSendToV6Dialog::GetResourceFilename(int iLevel) {
  if (iLevel == 0) return _resourceFilename;
  // The platform's own lookup would name the class's resource file here.
  if (iLevel == 1) return "ZELSendToV6Dialog";
  return CATDlgDialog::GetResourceFilename(iLevel - 1);
}

void ZELSendToV6Dialog::SetSendTo3DXOptions(const CATListValCATUnicodeString& iRevisionRules,
                                            const CATRawCollint& iDefaultFlags,
                                            const CATListValCATUnicodeString& iVariants,
                                            bool iSendConfiguration) {
  _revisionRules = iRevisionRules;
  _defaultFlags = iDefaultFlags;
  _variants = iVariants;
  _sendConfiguration = iSendConfiguration;
}

void ZELSendToV6Dialog::SetItemObidToTransfer(const CATUnicodeString& iObid) {
  _itemObid = iObid;
}

void ZELSendToV6Dialog::Build() {
  ZEL_DEBUG_SCOPE("ZELSendToV6Dialog::Build");
  SetTitle("Retrieve from Teamcenter");

  _pFrame1 = new CATDlgFrame(this, "Frame1", kFrameStyle);
  _pFrame1->SetGridConstraints(0, 0, 1, 1, CATGRID_4SIDES);
  _pFrame1->SetTitle("Expand Depth");
  _pFrame2 = new CATDlgFrame(this, "Frame2", kFrameStyle);
  _pFrame2->SetGridConstraints(1, 0, 1, 1, CATGRID_4SIDES);
  _pFrame2->SetTitle("Export Options");

  _pRadioButtonAll = NewRadioButton(_pFrame1, "RadioButtonAll", 0, "All");
  _pRadioButtonNone = NewRadioButton(_pFrame1, "RadioButtonNone", 1, "None");
  _pRadioButtonSelect = NewRadioButton(_pFrame1, "RadioButtonSelect", 2, "Select depth:");
  _pRadioButtonAll->SetState(CATDlgCheck);
  _pExpandDepth = new CATDlgEditor(_pFrame1, "expandDepth", kIntegerEditorStyle);
  _pExpandDepth->SetGridConstraints(2, 1, 1, 1, CATGRID_4SIDES);
  // A negative level would ask the gateway for the whole structure behind an explicit depth.
  _pExpandDepth->SetIntegerRange(0, INT_MAX);
  _pExpandDepth->SetIntegerValue(kInitialDepth);
  _pSeparator1 = new CATDlgSeparator(_pFrame1, "Separator1");
  _pSeparator1->SetGridConstraints(3, 0, 1, 2, CATGRID_4SIDES);
  _pTransferInParallel = NewCheckButton(_pFrame1, "CBTransferInParallel", 4, 2,
                                        "Transfer Substructures at expand in parallel", nullptr);

  _pForce = NewCheckButton(_pFrame2, "CheckButtonForce", 0, 1, "Force", "Force");
  _pTransferStructureFilter =
      NewCheckButton(_pFrame2, "CheckButtonTransferStructureFilter", 1, 4, "Transfer structure filter only",
                     "Transfer structure filter only");
  _pTransferLoc = NewCheckButton(_pFrame2, "CheckButtonTransferLoc", 2, 4, "Transfer location of control",
                                 "Transfer location of control");
  _pRemoveExisting = NewCheckButton(_pFrame2, "CheckButtonRemoveExisting", 3, 4,
                                    "Remove non-existing children in 3DEXPERIENCE",
                                    "Remove non-existing children in 3DEXPERIENCE");
  _pRemoveExisting->SetState(CATDlgCheck);
  _pRevisionRule = NewCheckButton(_pFrame2, "CheckButtonRevisionRule", 5, 4, "Use revision rule for expand",
                                  "Use revision rule for expand");
  _pRevisionRuleList = NewCombo(_pFrame2, "SelectorListRevisionRule", 6, "Select revision Rule");
  _pVariant = NewCheckButton(_pFrame2, "CheckButtonVariant", 7, 4, "Use variant for expand", nullptr);
  _pVariantList = NewCombo(_pFrame2, "SelectorListVariant", 8, "Select variant");
  _pNamedStructure = NewCheckButton(_pFrame2, "CheckButtonNamedStructure", 9, 3,
                                    "Set name for structure filter", "Set name for structure filter");
  _pAssign = new CATDlgPushButton(_pFrame2, "Assign");
  _pAssign->SetGridConstraints(9, 3, 1, 1, CATGRID_4SIDES);
  _pAssign->SetTitle("Assign");
  _pNamedStructureEditor = new CATDlgEditor(_pFrame2, "EditorNamedStructure");
  _pNamedStructureEditor->SetGridConstraints(10, 0, 1, 4, CATGRID_4SIDES);
  _pNamedStructureEditor->SetVisibleTextWidth(kVisibleWidth);
  SetHelpTexts(_pNamedStructureEditor, "Type in structure filter name");
  _pIncludeVariantCond =
      NewCheckButton(_pFrame2, "CBIncludeVariantCond", 11, 4, "Include Variant Conditions", nullptr);

  SetGridColumnResizable(0);
  _pFrame1->SetGridColumnResizable(1);
  _pFrame2->SetGridColumnResizable(2);
  _pFrame2->SetGridColumnResizable(3);

  const CATCommandMethod cancel = static_cast<CATCommandMethod>(&ZELSendToV6Dialog::OnCancel);
  AddAnalyseNotificationCB(this, GetDiaCANCELNotification(), cancel, nullptr);
  AddAnalyseNotificationCB(this, GetWindCloseNotification(), cancel, nullptr);
  AddAnalyseNotificationCB(this, GetDiaOKNotification(),
                           static_cast<CATCommandMethod>(&ZELSendToV6Dialog::OnOK), nullptr);
  const CATCommandMethod depth = static_cast<CATCommandMethod>(&ZELSendToV6Dialog::OnDepthChanged);
  for (CATDlgRadioButton* radio : {_pRadioButtonAll, _pRadioButtonNone, _pRadioButtonSelect})
    AddAnalyseNotificationCB(radio, radio->GetRadBModifyNotification(), depth, nullptr);
  AddAnalyseNotificationCB(_pRevisionRule, _pRevisionRule->GetChkBModifyNotification(),
                           static_cast<CATCommandMethod>(&ZELSendToV6Dialog::OnRevisionRuleChecked), nullptr);
  AddAnalyseNotificationCB(_pVariant, _pVariant->GetChkBModifyNotification(),
                           static_cast<CATCommandMethod>(&ZELSendToV6Dialog::OnVariantChecked), nullptr);
  AddAnalyseNotificationCB(_pNamedStructure, _pNamedStructure->GetChkBModifyNotification(),
                           static_cast<CATCommandMethod>(&ZELSendToV6Dialog::OnNamedStructureChecked),
                           nullptr);
  AddAnalyseNotificationCB(_pTransferStructureFilter, _pTransferStructureFilter->GetChkBModifyNotification(),
                           static_cast<CATCommandMethod>(&ZELSendToV6Dialog::OnStructureFilterOnlyChecked),
                           nullptr);
  AddAnalyseNotificationCB(_pRevisionRuleList, _pRevisionRuleList->GetComboSelectNotification(),
                           static_cast<CATCommandMethod>(&ZELSendToV6Dialog::OnRevisionRuleSelected),
                           nullptr);
  AddAnalyseNotificationCB(_pVariantList, _pVariantList->GetComboSelectNotification(),
                           static_cast<CATCommandMethod>(&ZELSendToV6Dialog::OnVariantSelected), nullptr);
  AddAnalyseNotificationCB(_pAssign, _pAssign->GetPushBActivateNotification(),
                           static_cast<CATCommandMethod>(&ZELSendToV6Dialog::OnAssign), nullptr);

  SetAPPLYSensitivity(CATDlgDisable);
  SetCLOSESensitivity(CATDlgDisable);
  SetHELPSensitivity(CATDlgDisable);
  SetPREVIEWSensitivity(CATDlgDisable);
  ApplyDepthRule();
  _pAssign->SetSensitivity(CATDlgDisable);
  _pNamedStructureEditor->SetSensitivity(CATDlgDisable);

  // The gateway's flag list may be shorter than its rules: a rule without a flag is no default.
  for (int i = 1; i <= _revisionRules.Size(); ++i) {
    _pRevisionRuleList->SetLine(_revisionRules[i]);
    if (i <= _defaultFlags.Size() && _defaultFlags[i] == 1) {
      _pRevisionRuleList->SetSelect(i - 1);
      _selectedRevisionRule = _revisionRules[i];
      _defaultRevisionRule = _revisionRules[i];
    }
  }
  for (int i = 1; i <= _variants.Size(); ++i) _pVariantList->SetLine(_variants[i]);
  if (_variants.Size() > 0) {
    // The combo shows the variant that goes out when the user picks none.
    _pVariantList->SetSelect(0);
    _selectedVariant = _variants[1];
  }

  if (ZELGlobal::GetZELModule() == ZELModuleAras) {
    // Aras knows neither revision rules nor variants.
    for (CATDialog* control : std::initializer_list<CATDialog*>{
             _pRevisionRule, _pRevisionRuleList, _pVariant, _pVariantList, _pIncludeVariantCond, _pAssign})
      control->SetVisibility(CATDlgHide);
  }
  if (!_sendConfiguration) _pIncludeVariantCond->SetVisibility(CATDlgHide);
}

void ZELSendToV6Dialog::ApplyDepthRule() {
  const bool explicitDepth = IsChecked(_pRadioButtonSelect);
  _pExpandDepth->SetSensitivity(EnabledWhen(explicitDepth));
  _pTransferInParallel->SetSensitivity(EnabledWhen(explicitDepth));
  if (!explicitDepth) _pTransferInParallel->SetState(CATDlgUncheck);
}

void ZELSendToV6Dialog::ApplyNamedStructureRule() {
  const CATULong sensitivity = EnabledWhen(IsChecked(_pNamedStructure));
  _pAssign->SetSensitivity(sensitivity);
  _pNamedStructureEditor->SetSensitivity(sensitivity);
}

void ZELSendToV6Dialog::OnDepthChanged(CATCommand*, CATNotification*, CATCommandClientData) {
  ApplyDepthRule();
}

void ZELSendToV6Dialog::OnRevisionRuleChecked(CATCommand*, CATNotification*, CATCommandClientData) {
  _pRevisionRuleList->SetSensitivity(EnabledWhen(IsChecked(_pRevisionRule)));
}

void ZELSendToV6Dialog::OnVariantChecked(CATCommand*, CATNotification*, CATCommandClientData) {
  _pVariantList->SetSensitivity(EnabledWhen(IsChecked(_pVariant)));
}

void ZELSendToV6Dialog::OnNamedStructureChecked(CATCommand*, CATNotification*, CATCommandClientData) {
  ApplyNamedStructureRule();
}

void ZELSendToV6Dialog::OnStructureFilterOnlyChecked(CATCommand*, CATNotification*, CATCommandClientData) {
  const bool filterOnly = IsChecked(_pTransferStructureFilter);
  if (filterOnly && !IsChecked(_pNamedStructure)) {
    // A filter-only transfer needs the filter's name.
    _pNamedStructure->SetState(CATDlgCheck);
    ApplyNamedStructureRule();
  }
  const CATULong sensitivity = EnabledWhen(!filterOnly);
  _pNamedStructure->SetSensitivity(sensitivity);
  _pTransferLoc->SetSensitivity(sensitivity);
  _pRemoveExisting->SetSensitivity(sensitivity);
}

void ZELSendToV6Dialog::OnRevisionRuleSelected(CATCommand*, CATNotification*, CATCommandClientData) {
  _selectedRevisionRule = SelectedLine(_pRevisionRuleList, _revisionRules);
}

void ZELSendToV6Dialog::OnVariantSelected(CATCommand*, CATNotification*, CATCommandClientData) {
  _selectedVariant = SelectedLine(_pVariantList, _variants);
}

void ZELSendToV6Dialog::OnAssign(CATCommand*, CATNotification*, CATCommandClientData) {
  CATUnicodeString name;
  if (IsChecked(_pRevisionRule)) name = _selectedRevisionRule;
  if (IsChecked(_pVariant)) {
    if (!name.IsNull()) name.Append(" ");
    name.Append(_selectedVariant);
  }
  if (name.IsNull()) name = _defaultRevisionRule;
  _pNamedStructureEditor->SetText(name);
}

void ZELSendToV6Dialog::OnOK(CATCommand*, CATNotification*, CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELSendToV6Dialog::OnOK");
  SetVisibility(CATDlgHide);
  int expandLevel = -1;
  if (IsChecked(_pRadioButtonSelect))
    expandLevel = _pExpandDepth->GetIntegerValue();
  else if (IsChecked(_pRadioButtonNone))
    expandLevel = 0;
  const bool parallel = IsChecked(_pTransferInParallel);
  const bool force = IsChecked(_pForce);
  const bool transferLocation = IsChecked(_pTransferLoc);
  const bool removeExisting = IsChecked(_pRemoveExisting);
  const bool structureFilterOnly = IsChecked(_pTransferStructureFilter);
  const bool sendConfiguration = IsChecked(_pIncludeVariantCond);
  const CATUnicodeString revisionRule =
      IsChecked(_pRevisionRule) ? _selectedRevisionRule : CATUnicodeString();
  const CATUnicodeString variant = IsChecked(_pVariant) ? _selectedVariant : CATUnicodeString();
  CATUnicodeString structureFilter;
  if (IsChecked(_pNamedStructure)) {
    // Blanks around a filter name are typing slips: a blank-only name counts as none.
    structureFilter = _pNamedStructureEditor->GetText().Strip();
    if (structureFilter.IsNull()) {
      ZEL_FAILURE_POINT();
      SetVisibility(CATDlgShow);
      ShowBox("ZELInformation", kInformationStyle, Message("MsgStructureNameEmpty"));
      return;
    }
  }

  CATUnicodeString message;
  const long rc = ZELPlmCommands::DoSendItem(_itemObid, expandLevel, transferLocation, removeExisting,
                                             structureFilterOnly, revisionRule, variant, structureFilter,
                                             force, parallel, sendConfiguration, message);
  if (rc < 0) {
    ZEL_FAILURE_POINT();
    if (message.IsNull()) message = Message("MsgSendFailed");
    ShowBox("ZELError", kErrorStyle, message);
  } else {
    if (message.IsNull()) message = Message("MsgSuccess");
    ShowBox("ZELError", kInformationStyle, message);
  }
  RequestDelayedDestruction();
}

void ZELSendToV6Dialog::OnCancel(CATCommand*, CATNotification*, CATCommandClientData) {
  SetVisibility(CATDlgHide);
  RequestDelayedDestruction();
}
