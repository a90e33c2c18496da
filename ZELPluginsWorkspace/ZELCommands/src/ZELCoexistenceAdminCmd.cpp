#include "ZELCoexistenceAdminCmd.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>

#include "CATApplication.h"
#include "CATApplicationFrame.h"
#include "CATBatClientMonitorCAA.h"
#include "CATCSO.h"
#include "CATDlgCheckButton.h"
#include "CATDlgCombo.h"
#include "CATDlgFrame.h"
#include "CATDlgLabel.h"
#include "CATDlgNotify.h"
#include "CATDlgRadioButton.h"
#include "CATDlgSeparator.h"
#include "CATFrmEditor.h"
#include "CATFrmLayout.h"
#include "CATFrmWindow.h"
#include "CATIAdpPLMIdentificator.h"
#include "CATIDOMDocument.h"
#include "CATIDOMElement.h"
#include "CATIDOMNodeList.h"
#include "CATIPLMComponent.h"
#include "CATIPLMNavEntity.h"
#include "CATIPLMNavOccurrence.h"
#include "CATIXMLDOMDocumentBuilder.h"
#include "CATLib.h"
#include "CATPLMBatch.h"
#include "CATPLMNavPropertiesAcquisition.h"
#include "CATShellExecute.h"
#include "CATSysSettingRepository.h"
#include "ZELBatchEventWatcher.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELPathLeaf.h"

namespace {

constexpr CATDlgStyle kDialogStyle = 0x40201UL;
constexpr CATDlgStyle kFrameStyle = 0xc0001UL;
constexpr CATDlgStyle kComboStyle = 0x40000UL;
constexpr CATDlgStyle kVerticalSeparator = 0x80000UL;
constexpr CATDlgStyle kErrorStyle = 0x10100000UL;
constexpr int kShowNormal = 1;
// The contexts file is read whole: bound it, and the number of contexts it may offer.
constexpr off_t kMaxContextsFile = 1024 * 1024;
constexpr int kMaxContexts = 1000;
// How long the session waits for the batch unless ZEL_COEX_WAIT_SECONDS says otherwise.
constexpr long kDefaultWaitSeconds = 600;
constexpr long kMaxWaitSeconds = 86400;

const char* const kInputFileName = "QMOCoexAdmin.xml";

CATUnicodeString Message(const char* key) {
  return ZELGlobal::BuildMessage("CoexistenceAdminCmd", key, nullptr, 0,
                                 CATUnicodeString("ZELCoexistenceAdminCmd ") + key);
}

long WaitSeconds() {
  const char* text = CATGetEnv("ZEL_COEX_WAIT_SECONDS");
  if (!text || !*text) return kDefaultWaitSeconds;
  char* end = nullptr;
  long seconds = std::strtol(text, &end, 10);
  if (*end || seconds < 1 || seconds > kMaxWaitSeconds) return kDefaultWaitSeconds;
  return seconds;
}

// The temporary directory with links resolved, as the batch server sees it.
std::string LongTempDirectory() {
  char path[CATMaxPathSize] = {};
  if (CATGetTempDirectory(path, sizeof path) != CATLibSuccess) return std::string();
  char resolved[CATMaxPathSize] = {};
  return realpath(path, resolved) ? std::string(resolved) : std::string(path);
}

CATListValCATUnicodeString Values(std::initializer_list<const char*> texts) {
  CATListValCATUnicodeString values;
  for (const char* text : texts) values.Append(CATUnicodeString(text));
  return values;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) CATCommand* fctCreateZELCoexistenceAdminCmd() {
  CATApplicationFrame* frame = CATApplicationFrame::GetFrame();
  return new (std::nothrow) ZELCoexistenceAdminCmd(frame ? frame->GetMainWindow() : nullptr);
}

ZELCoexistenceAdminCmd::ZELCoexistenceAdminCmd(CATCommand* iParent)
    : CATDlgDialog(iParent, "ZELCoexistenceAdminCmd", kDialogStyle) {
  const std::string name = std::string(ZELGlobal::GetZELModulePrefix()) + "CoexistenceAdminCmd";
  _resourceFilename = strdup(name.c_str());
}

ZELCoexistenceAdminCmd::~ZELCoexistenceAdminCmd() {
  ReleaseSelection();
  std::free(_resourceFilename);
  _resourceFilename = nullptr;
}

const char* ZELCoexistenceAdminCmd::GetResourceFilename(int iLevel) {
  // The edition's resource file first, then the texts every edition shares.
  if (iLevel == 0) return _resourceFilename;
  if (iLevel == 1) return "ZELCoexistenceAdminCmd";
  return CATDlgDialog::GetResourceFilename(iLevel - 1);
}

CATStatusChangeRC ZELCoexistenceAdminCmd::Activate(CATCommand*, CATNotification*) {
  ZEL_DEBUG_SCOPE("ZELCoexistenceAdminCmd::Activate");
  if (_bSubmitted) return CATStatusChangeRCCompleted;
  if (_bNotBuilt) {
    Build();
    _bNotBuilt = 0;
  }
  CollectSelection();
  if (_selectedObjects.Size() == 0) {
    _pDeleteMappingRB->SetState(CATDlgCheck, 1);
    _pTransferMasterRB->SetSensitivity(CATDlgDisable);
  } else {
    _pTransferMasterRB->SetSensitivity(CATDlgEnable);
    // A "Delete all" the command forced for an empty selection must not apply to the objects now selected.
    if (_bDeleteAllForced) {
      _pDeleteAllCB->SetState(CATDlgUncheck);
      _bDeleteAllForced = 0;
      if (_pDeleteMappingRB->GetState() == CATDlgCheck) _pDeleteAllCB->SetSensitivity(CATDlgEnable);
    }
  }
  SetVisibility(CATDlgShow);
  return CATStatusChangeRCCompleted;
}

CATStatusChangeRC ZELCoexistenceAdminCmd::Desactivate(CATCommand*, CATNotification*) {
  ZEL_DEBUG_SCOPE("ZELCoexistenceAdminCmd::Desactivate");
  SetVisibility(CATDlgHide);
  return CATStatusChangeRCCompleted;
}

CATStatusChangeRC ZELCoexistenceAdminCmd::Cancel(CATCommand*, CATNotification*) {
  ZEL_DEBUG_SCOPE("ZELCoexistenceAdminCmd::Cancel");
  SetVisibility(CATDlgHide);
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}

void ZELCoexistenceAdminCmd::ReleaseSelection() {
  for (int i = 1; i <= _selectedObjects.Size(); ++i)
    if (_selectedObjects[i]) _selectedObjects[i]->Release();
  _selectedObjects.RemoveAll();
}

void ZELCoexistenceAdminCmd::CollectSelection() {
  ZEL_DEBUG_SCOPE("ZELCoexistenceAdminCmd::CollectSelection");
  ReleaseSelection();
  CATString workbench;
  if (CATApplicationFrame* frame = CATApplicationFrame::GetFrame()) workbench = frame->GetCurrentWorkbench();
  const bool fromSearch = workbench == "CATImmSearch" || workbench == "3DEXPERIENCEPlatform";
  CATFrmEditor* editor = nullptr;
  if (fromSearch) {
    CATPLMNavPropertiesAcquisition* agent = new CATPLMNavPropertiesAcquisition("NavPropertiesAcquisition");
    editor = agent->GetEditor();
    agent->Release();
  } else if (CATFrmLayout* layout = CATFrmLayout::GetCurrentLayout()) {
    CATFrmWindow* window = layout->GetCurrentWindow();
    editor = window ? window->GetEditor() : nullptr;
  }
  CATCSO* cso = editor ? editor->GetCSO() : nullptr;
  if (!cso) {
    ZEL_FAILURE_POINT();
    return;
  }
  cso->InitElementList();
  for (int i = 0, count = cso->Size(); i < count; ++i) {
    CATBaseUnknown_var leaf = ZELPathLeaf(cso->NextElement());
    CATIPLMComponent_var component;
    CATIPLMNavOccurrence_var occurrence(leaf);
    if (!fromSearch && occurrence != NULL_var) {
      CATIPLMNavEntity_var reference;
      if (SUCCEEDED(occurrence->GetReference(reference)) && reference != NULL_var)
        reference->GetPLMComponent(component);
    } else {
      // A 3D window's paths end at the components themselves.
      component = leaf;
    }
    CATIAdpPLMIdentificator_var id;
    if (component == NULL_var || FAILED(component->GetAdpID(id)) || id == NULL_var) {
      ZEL_FAILURE_POINT();
      continue;
    }
    CATIAdpPLMIdentificator* raw = id;
    raw->AddRef();
    _selectedObjects.Append(raw);
  }
  ZEL_DETAIL("Selected objects: ", _selectedObjects.Size());
}

void ZELCoexistenceAdminCmd::Build() {
  ZEL_DEBUG_SCOPE("ZELCoexistenceAdminCmd::Build");
  _pContextFrame = new CATDlgFrame(this, "ContextFrame", kFrameStyle);
  _pContextFrame->SetGridConstraints(0, 0, 1, 1, 30);
  _pContextLabel = new CATDlgLabel(_pContextFrame, "ContextLabel", 0x40000UL);
  _pContextLabel->SetGridConstraints(0, 0, 3, 1, 30);
  _pContextCombo = new CATDlgCombo(_pContextFrame, "ContextCombo", kComboStyle);
  _pContextCombo->SetGridConstraints(0, 3, 1, 1, 30);
  _pSeparator2 = new CATDlgSeparator(this, "Separator2", 0);
  _pSeparator2->SetGridConstraints(1, 0, 1, 1, 14);

  _pMappingFrame = new CATDlgFrame(this, "MappingFrame", kFrameStyle);
  _pMappingFrame->SetGridConstraints(2, 0, 1, 1, 30);
  _pDeleteMappingRB = new CATDlgRadioButton(_pMappingFrame, "DeleteMappingRB", 0);
  _pDeleteMappingRB->SetGridConstraints(1, 0, 1, 1, 10);
  _pTransferMasterRB = new CATDlgRadioButton(_pMappingFrame, "TransferMasterRB", 0);
  _pTransferMasterRB->SetGridConstraints(1, 2, 1, 1, 10);
  _pSeparator1 = new CATDlgSeparator(_pMappingFrame, "Separator1", 0);
  _pSeparator1->SetGridConstraints(2, 0, 3, 1, 14);
  _pDeleteAllCB = new CATDlgCheckButton(_pMappingFrame, "DeleteAllCB", 0);
  _pDeleteAllCB->SetGridConstraints(3, 0, 1, 1, 10);
  _pSeparator3 = new CATDlgSeparator(_pMappingFrame, "Separator3", kVerticalSeparator);
  _pSeparator3->SetGridConstraints(3, 1, 1, 1, 26);
  _pDirectionFrame = new CATDlgFrame(_pMappingFrame, "DirectionFrame", kFrameStyle);
  _pDirectionFrame->SetGridConstraints(3, 2, 1, 1, 30);
  _pV5V6MasterRB = new CATDlgRadioButton(_pDirectionFrame, "V5V6MasterRB", 0);
  _pV5V6MasterRB->SetGridConstraints(0, 0, 1, 1, 10);
  _pV6V5MasterRB = new CATDlgRadioButton(_pDirectionFrame, "V6V5MasterRB", 0);
  _pV6V5MasterRB->SetGridConstraints(1, 0, 1, 1, 10);

  _pSeparator4 = new CATDlgSeparator(this, "Separator4", 0);
  _pSeparator4->SetGridConstraints(3, 0, 1, 1, 14);
  _pPreviewCB = new CATDlgCheckButton(this, "PreviewCB", 0);
  _pPreviewCB->SetGridConstraints(5, 0, 1, 1, 30);
  _pShowResultCB = new CATDlgCheckButton(this, "ShowResultCB", 0);
  _pShowResultCB->SetGridConstraints(6, 0, 1, 1, 30);

  AddAnalyseNotificationCB(
      this, GetDiaOKNotification(),
      static_cast<CATCommandMethod>(&ZELCoexistenceAdminCmd::ZELCoexistenceAdminCmd_OKBtnPushed), nullptr);
  for (CATNotification* closing : {GetDiaCANCELNotification(), GetDiaCLOSENotification(),
                                   GetWindMDICloseNotification(), GetWindCloseNotification()})
    AddAnalyseNotificationCB(
        this, closing,
        static_cast<CATCommandMethod>(&ZELCoexistenceAdminCmd::ZELCoexistenceAdminCmd_CancelBtnPushed),
        nullptr);
  AddAnalyseNotificationCB(_pDeleteMappingRB, _pDeleteMappingRB->GetRadBModifyNotification(),
                           static_cast<CATCommandMethod>(&ZELCoexistenceAdminCmd::DeleteMappingRB_RadBModify),
                           nullptr);
  AddAnalyseNotificationCB(
      _pTransferMasterRB, _pTransferMasterRB->GetRadBModifyNotification(),
      static_cast<CATCommandMethod>(&ZELCoexistenceAdminCmd::TransferMasterRB_RadBModify), nullptr);

  _pShowResultCB->SetState(CATDlgCheck);
  _pTransferMasterRB->SetState(CATDlgCheck, 1);
  _pDeleteAllCB->SetSensitivity(CATDlgDisable);
  _pV5V6MasterRB->SetState(CATDlgCheck);

  ZELGlobal::SetDialogStandardMessages(this, "CoexistenceAdminCmd");
  FillContexts();
}

void ZELCoexistenceAdminCmd::FillContexts() {
  ZEL_DEBUG_SCOPE("ZELCoexistenceAdminCmd::FillContexts");
  if (CATSettingRepository::ExistsRepository("CoexSettingsRep")) {
    CATSettingRepository* repository = CATSettingRepository::GetRepository("CoexSettingsRep");
    CATUnicodeString file;
    if (repository) {
      if (FAILED(repository->ReadSetting("COEX_Ctx_XmlFile", file))) file = CATUnicodeString();
      repository->Release();
    }
    const std::string path = file.ConvertToUTF8();
    struct stat info {};
    CATIXMLDOMDocumentBuilder_var builder;
    CATIDOMDocument_var document;
    CATIDOMNodeList_var contexts;
    unsigned int count = 0;
    if (path.empty() || access(path.c_str(), R_OK) != 0 || stat(path.c_str(), &info) != 0) {
      ZEL_FAILURE_POINT();
    } else if (!S_ISREG(info.st_mode) || info.st_size > kMaxContextsFile) {
      ZEL_FAILURE_POINT();
      ZEL_DETAIL("Contexts file refused: ", path);
    } else if (FAILED(CreateCATIXMLDOMDocumentBuilder(CLSID_XML4C_DOM, builder)) || builder == NULL_var ||
               FAILED(builder->ParseFile(file, document, NULL_var, NULL_var,
                                         CATListOfCATUnicodeString{"CATDoValidation"},
                                         CATListOfCATUnicodeString{"false"})) ||
               document == NULL_var || FAILED(document->GetElementsByTagName("Context", contexts)) ||
               contexts == NULL_var || FAILED(contexts->GetLength(count))) {
      ZEL_FAILURE_POINT();
      ZEL_DETAIL("Contexts file unreadable: ", path);
    } else {
      for (unsigned int i = 0; i < count && _pContextCombo->GetLineCount() < kMaxContexts; ++i) {
        CATIDOMNode_var node;
        CATUnicodeString name;
        if (FAILED(contexts->Item(i, node))) continue;
        CATIDOMElement_var element(node);
        if (element != NULL_var && SUCCEEDED(element->GetAttribute("Name", name)) && !name.IsNull())
          _pContextCombo->SetLine(name);
      }
    }
  }
  // Without a repository too: OK must always find a context to read.
  if (_pContextCombo->GetLineCount() == 0) _pContextCombo->SetLine("COEXISTENCE");
  _pContextCombo->SetSelect(0);
  const int lines = _pContextCombo->GetLineCount();
  _pContextCombo->SetVisibleTextHeight(lines < 6 ? lines + 2 : 7);
}

void ZELCoexistenceAdminCmd::DeleteMappingRB_RadBModify(CATCommand*, CATNotification*, CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELCoexistenceAdminCmd::DeleteMappingRB_RadBModify");
  if (_pDeleteMappingRB->GetState() != CATDlgCheck) return;
  if (_selectedObjects.Size() == 0) {
    if (_pDeleteAllCB->GetState() != CATDlgCheck) _bDeleteAllForced = 1;
    _pDeleteAllCB->SetState(CATDlgCheck, 1);
    _pDeleteAllCB->SetSensitivity(CATDlgDisable);
  } else {
    _pDeleteAllCB->SetSensitivity(CATDlgEnable);
  }
  _pDirectionFrame->SetSensitivity(CATDlgDisable);
}

void ZELCoexistenceAdminCmd::TransferMasterRB_RadBModify(CATCommand*, CATNotification*,
                                                         CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELCoexistenceAdminCmd::TransferMasterRB_RadBModify");
  if (_pTransferMasterRB->GetState() != CATDlgCheck) return;
  _pDeleteAllCB->SetSensitivity(CATDlgDisable);
  _pDirectionFrame->SetSensitivity(CATDlgEnable);
}

void ZELCoexistenceAdminCmd::ZELCoexistenceAdminCmd_CancelBtnPushed(CATCommand*, CATNotification*,
                                                                    CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELCoexistenceAdminCmd::ZELCoexistenceAdminCmd_CancelBtnPushed");
  SetVisibility(CATDlgHide);
  RequestDelayedDestruction();
}

void ZELCoexistenceAdminCmd::ZELCoexistenceAdminCmd_OKBtnPushed(CATCommand*, CATNotification*,
                                                                CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELCoexistenceAdminCmd::ZELCoexistenceAdminCmd_OKBtnPushed");
  if (_bSubmitted) return;
  _bSubmitted = 1;
  Submit();
  // Once, whichever way the submission ended.
  RequestDelayedDestruction();
}

void ZELCoexistenceAdminCmd::Submit() {
  ZEL_DEBUG_SCOPE("ZELCoexistenceAdminCmd::Submit");
  CATUnicodeString context;
  const int line = _pContextCombo->GetSelect();
  if (line < 0 || FAILED(_pContextCombo->GetLine(context, line))) {
    ZEL_FAILURE_POINT();
    SetVisibility(CATDlgHide);
    return;
  }
  const bool deleteMode = _pDeleteMappingRB->GetState() == CATDlgCheck;
  const bool deleteAll = deleteMode && _pDeleteAllCB->GetState() == CATDlgCheck;
  const char* direction = _pV6V5MasterRB->GetState() == CATDlgCheck ? "V6V5Master" : "V5V6Master";
  const char* mode = _pPreviewCB->GetState() == CATDlgCheck ? "Preview" : "Run";
  ZEL_DETAIL("Context: ", context.ConvertToUTF8(), " delete: ", deleteMode, " all: ", deleteAll,
             " direction: ", direction, " mode: ", mode);

  if (!deleteAll && _selectedObjects.Size() == 0) {
    SetVisibility(CATDlgHide);
    CATDlgNotify* box = new CATDlgNotify(this, "MsgBox", 0);
    box->DisplayBlocked("No selection", "CoexistenceAdministration");
    box->Release();
    return;
  }
  SetVisibility(CATDlgHide);

  CATPLMBatch batch("CoexistenceAdministration");
  CATListValCATUnicodeString contextValue;
  contextValue.Append(context);
  const struct {
    const char* name;
    CATListValCATUnicodeString values;
  } parameters[] = {
      {"CoexAdmin_Context", contextValue},
      {"CoexAdmin_Mapping", deleteMode ? Values({"Delete"}) : Values({"Ownership", direction, "AllowRep"})},
      {"CoexAdmin_Propagate", Values({"All"})},
      {"CoexAdmin_ApplyTo", Values({deleteAll ? "All" : "Selection"})},
      {"CoexAdmin_Mode", Values({mode})},
      {"CoexAdmin_Workspace", CATListValCATUnicodeString()},
  };
  for (const auto& parameter : parameters) {
    if (batch.SetApplicativeParameters(parameter.name, parameter.values) == E_FAIL) {
      ZEL_FAILURE_POINT();
      std::cout << "Cannot set the batch parameter " << parameter.name << std::endl;
      return;
    }
  }
  if (FAILED(batch.SetSelectedObjects(_selectedObjects))) {
    ZEL_FAILURE_POINT();
    return;
  }
  const std::string directory = LongTempDirectory();
  CATUnicodeString reportName;
  batch.SetReportParameter("PLMBATCH_Report_Directory", directory.c_str());
  const std::string inputFile = directory + "/" + kInputFileName;
  if (FAILED(batch.GetReportName(reportName)) || FAILED(batch.FillXmlFile("", inputFile.c_str()))) {
    ZEL_FAILURE_POINT();
    std::cout << "Cannot create batch input Xml File " << inputFile << std::endl;
    return;
  }
  const std::string report = directory + "/" + reportName.ConvertToUTF8() + ".htm";

  CATBatClientMonitorCAA* monitor = CATBatClientMonitorCAA::GetTheClientMonitorCAA();
  if (!monitor || FAILED(monitor->PrepareForSubmission()) || FAILED(monitor->SetSubmissionMode(1, 0))) {
    ZEL_FAILURE_POINT();
    return;
  }
  int done = 0;
  ZELBatchEventWatcher watcher(&done);
  char batchId[CATBatchIdMaxLength + 1] = {};
  if (FAILED(monitor->SubmitBatch(inputFile.c_str(), batchId, 0))) {
    ZEL_FAILURE_POINT();
    ZEL_DETAIL("Batch submission refused");
    return;
  }
  watcher.SetBatchId(batchId);
  const long seconds = WaitSeconds();
  const HRESULT waited = monitor->WaitForBatch(&done, static_cast<int>(seconds * 1000), 0);
  watcher.Unsubscribe();
  ZEL_DETAIL("Batch ", batchId, " return code: ", watcher.GetReturnCode());
  if (FAILED(waited) || !done) {
    ZEL_FAILURE_POINT();
    CATUnicodeString params[2] = {CATUnicodeString(batchId),
                                  CATUnicodeString(std::to_string(seconds).c_str())};
    const CATUnicodeString text = ZELGlobal::BuildMessage(
        "CoexistenceAdminCmd", "MsgBatchTimeout", params, 2,
        CATUnicodeString("The batch ") + params[0] + " did not end within " + params[1] + " seconds.");
    CATDlgNotify* box = new CATDlgNotify(CATApplication::MainApplication(), "ZELError", kErrorStyle);
    box->DisplayBlocked(text, Message("MsgTitle"));
    box->Release();
    return;
  }
  if (watcher.GetReturnCode() != 0) {
    ZEL_FAILURE_POINT();
    return;
  }
  ReleaseSelection();
  if (_pShowResultCB->GetState() == CATDlgCheck &&
      ShellExecuteA(nullptr, "open", report.c_str(), nullptr, nullptr, kShowNormal) <= 32) {
    ZEL_FAILURE_POINT();
    std::cout << "Cannot open the report of batch " << batchId << std::endl;
  }
}
