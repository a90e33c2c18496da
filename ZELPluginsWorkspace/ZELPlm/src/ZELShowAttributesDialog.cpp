#include "ZELShowAttributesDialog.h"

#include <string>

#include "CATDlgEditor.h"
#include "CATDlgFrame.h"
#include "CATDlgLabel.h"
#include "CATDlgSeparator.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELPlmDialogResources.h"

namespace {

constexpr CATDlgStyle kDialogStyle = 0x10400001UL;
constexpr CATDlgStyle kFrameStyle = 0xC0001UL;
constexpr CATDlgStyle kTypeEditorStyle = 0x4000000UL;
constexpr CATDlgStyle kLinesEditorStyle = 0x4080000UL;
constexpr int kMaxVisibleWidth = 20;
constexpr int kLinesWidth = 35;
constexpr int kMaxVisibleHeight = 20;
constexpr int kFirstGroupRow = 10;

int AtMost(int value, int limit) {
  return value < limit ? value : limit;
}

CATDlgEditor* TypeEditor(CATDialog* frame, const CATString& name, const CATUnicodeString& text) {
  auto* editor = new CATDlgEditor(frame, name, kTypeEditorStyle);
  editor->SetGridConstraints(0, 0, 1, 1, CATGRID_4SIDES);
  editor->SetText(text);
  editor->SetVisibleTextWidth(AtMost(text.GetLengthInChar(), kMaxVisibleWidth));
  return editor;
}

CATDlgEditor* LinesEditor(CATDialog* parent, const CATString& name, int row,
                          const CATListValCATUnicodeString& lines) {
  auto* editor = new CATDlgEditor(parent, name, kLinesEditorStyle);
  editor->SetGridConstraints(row, 0, 1, 1, CATGRID_4SIDES);
  for (int i = 1; i <= lines.Size(); ++i) editor->SetLine(lines[i]);
  editor->SetVisibleTextWidth(kLinesWidth);
  editor->SetVisibleTextHeight(AtMost(lines.Size() + 1, kMaxVisibleHeight));
  return editor;
}

CATString Numbered(int number, const char* name) {
  return CATString((std::to_string(number) + name).c_str());
}

}  // namespace

ZELShowAttributesDialog::ZELShowAttributesDialog(CATDialog* iParent, const CATString& iDialogName)
    : CATDlgDialog(iParent, iDialogName, kDialogStyle),
      _resourceFilename(CATString(ZELGlobal::GetZELModulePrefix()) + "ShowAttributesDialog") {}

ZELShowAttributesDialog::~ZELShowAttributesDialog() = default;

const char* ZELShowAttributesDialog::GetResourceFilename(int iLevel) {
  if (iLevel == 0) return _resourceFilename;
  // The platform's own lookup would name the class's resource file here.
  if (iLevel == 1) return "ZELShowAttributesDialog";
  return CATDlgDialog::GetResourceFilename(iLevel - 1);
}

void ZELShowAttributesDialog::SetResponse(const CATUnicodeString& iTypeName,
                                          const CATListValCATUnicodeString& iHeaderLines,
                                          const std::vector<ZELAttributeGroup>& iGroups) {
  ZEL_DEBUG_SCOPE("ZELShowAttributesDialog::SetResponse");
  _typeName = iTypeName;
  _headerLines = iHeaderLines;
  _groups = iGroups;
}

void ZELShowAttributesDialog::Build() {
  ZEL_DEBUG_SCOPE("ZELShowAttributesDialog::Build");
  (new CATDlgLabel(this, "EnoviaSelectionTitle"))->SetGridConstraints(0, 0, 1, 1, CATGRID_LEFT);
  (new CATDlgSeparator(this, "Separator1"))->SetGridConstraints(1, 0, 1, 1, CATGRID_4SIDES);
  (new CATDlgLabel(this, "Label1"))->SetGridConstraints(2, 0, 1, 1, CATGRID_LEFT);
  auto* typeFrame = new CATDlgFrame(this, "Frame1", kFrameStyle);
  typeFrame->SetGridConstraints(3, 0, 1, 1, CATGRID_4SIDES);
  _pSelectedTypeEditor = TypeEditor(typeFrame, "SelectedTypeEditor", _typeName);
  _pSelectedAttributeEditor = LinesEditor(this, "SelectedAttributeEditor", 4, _headerLines);
  (new CATDlgSeparator(this, "Separator2"))->SetGridConstraints(5, 0, 1, 1, CATGRID_4SIDES);
  (new CATDlgLabel(this, "Label2"))->SetGridConstraints(6, 0, 1, 1, CATGRID_LEFT);
  (new CATDlgLabel(this, "TeamcenterAttributes"))->SetGridConstraints(7, 0, 1, 1, CATGRID_LEFT);
  (new CATDlgSeparator(this, "Separator3"))->SetGridConstraints(8, 0, 1, 1, CATGRID_4SIDES);
  (new CATDlgLabel(this, "Label3"))->SetGridConstraints(9, 0, 1, 1, CATGRID_LEFT);

  const CATCommandMethod close =
      static_cast<CATCommandMethod>(&ZELShowAttributesDialog::ZELShowAttributesDialog_Close);
  AddAnalyseNotificationCB(this, GetDiaCLOSENotification(), close, nullptr);
  AddAnalyseNotificationCB(this, GetWindCloseNotification(), close, nullptr);

  ZELPlmDialogResources::Apply(this, "ShowAttributesDialog");

  SetCANCELSensitivity(CATDlgDisable);
  SetHELPSensitivity(CATDlgDisable);
  SetOKSensitivity(CATDlgDisable);
  SetGridColumnResizable(0);

  const int groupCount = static_cast<int>(_groups.size());
  for (int j = 1; j <= groupCount; ++j) {
    const ZELAttributeGroup& group = _groups[j - 1];
    auto* groupFrame = new CATDlgFrame(this, Numbered(j, "_GroupFrame"), kFrameStyle);
    groupFrame->SetGridConstraints(kFirstGroupRow + j - 1, 0, 1, 1, CATGRID_4SIDES);
    groupFrame->SetGridColumnResizable(0);
    auto* groupTypeFrame = new CATDlgFrame(groupFrame, Numbered(j, "_TypeFrame"), kFrameStyle);
    groupTypeFrame->SetGridConstraints(0, 0, 1, 1, CATGRID_4SIDES);
    TypeEditor(groupTypeFrame, Numbered(j, "_TcTypeEditor"), group.name);
    LinesEditor(groupFrame, Numbered(j, "_TcAttributeEditor"), 1, group.lines);
    if (j == groupCount) {
      SetGridRowResizable(kFirstGroupRow + j - 1);
      groupFrame->SetGridRowResizable(1);
    }
  }
  // The controls hold the texts now; the groups are not needed again, and nothing else frees them.
  _groups.clear();
}

void ZELShowAttributesDialog::ZELShowAttributesDialog_Close(CATCommand*, CATNotification*,
                                                            CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELShowAttributesDialog::ZELShowAttributesDialog_Close");
  SetVisibility(CATDlgHide);
  RequestDelayedDestruction();
}
