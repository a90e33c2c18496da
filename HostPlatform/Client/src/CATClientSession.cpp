#include "CATClientSession.h"

#include <stdlib.h>

#include <filesystem>

#include "CATAdpOpener.h"
#include "CATAdpPLMExtendedQueryServices.h"
#include "CATCkePLMNavPublicServices.h"
#include "CATError.h"
#include "CATFrmLayout.h"
#include "CATFrmWindow.h"
#include "CATGlobalFunctions.h"
#include "CATLib.h"
#include "CATPLMSeed.h"
#include "CATPLMSession.h"

namespace {

std::string LastPLMError(const std::string& fallback) {
  CATError* error = CATError::CATGetLastError(E_FAIL);
  if (!error) return fallback;
  std::string text = error->GetNLSMessage().ConvertToUTF8();
  error->Release();
  CATError::CATCleanLastError();
  return text.empty() ? fallback : text;
}

}  // namespace

CATClientSession::~CATClientSession() {
  // The frame and the windows go with the application, before the database they show.
  delete application_;
  CATPLMSession::Disconnect();
  if (!privateDirectory_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(privateDirectory_, ignored);
  }
}

bool CATClientSession::Start(const std::vector<std::string>& args, const std::string& plmFile,
                             std::string& error) {
  std::string database = plmFile;
  if (database.empty() && !CATGetEnv("ZEL_PLM_DATABASE")) {
    char temporary[CATMaxPathSize];
    CATGetTempDirectory(temporary);
    std::string pattern = std::string(temporary) + "/CNEXT.XXXXXX";
    if (!mkdtemp(pattern.data())) {
      error = "cannot create a temporary directory in " + std::string(temporary);
      return false;
    }
    privateDirectory_ = pattern;
    database = privateDirectory_ + "/PLMDemo.db";
    if (FAILED(CATPLMSeed::CreateDemoDatabase(database.c_str()))) {
      error = LastPLMError("cannot create the demo PLM database");
      return false;
    }
  }
  if (FAILED(CATPLMSession::Connect(database.empty() ? nullptr : database.c_str()))) {
    error = LastPLMError("cannot open the PLM database");
    return false;
  }
  application_ = new CATApplication("CNEXT", args.empty() ? std::vector<std::string>{"3DEXPERIENCE"} : args);
  frame_ = new CATApplicationFrame(application_);
  return true;
}

bool CATClientSession::Find(const std::string& type, const std::string& externalId,
                            const std::string& revision, CATListPtrCATIPLMComponent& found,
                            std::string& error) {
  CATITypeDictionary_var dictionary = CATGlobalFunctions::GetTypeDictionary();
  CATIType_var plmType;
  if (dictionary == NULL_var || FAILED(dictionary->FindType(type.c_str(), plmType)) || plmType == NULL_var) {
    error = "unknown PLM type \"" + type + "\"";
    return false;
  }
  CATAdpPLMQueryAttributeSet attributes;
  attributes.AddStringAttribute("PLM_ExternalID", externalId.c_str());
  if (!revision.empty()) {
    CATUnicodeString revisionAttribute;
    CATCkePLMNavPublicServices::GetMajorRevisionAttributeName(plmType, revisionAttribute);
    attributes.AddStringAttribute(revisionAttribute, revision.c_str());
  }
  CATAdpPLMQueryFilter filter(plmType, attributes, CATAdpPLMLogicalAnd);
  filter.CaseSensitiveMode(TRUE);
  CATAdpPLMComponentInfosIter results;
  if (FAILED(CATAdpPLMExtendedQueryServices::GetElementsFromQueryFilter(filter, results))) {
    error = LastPLMError("the query failed");
    return false;
  }
  CATOmbLifeCycleRootsBag bag;
  CATAdpOpener opener(bag, CATAdpOpenParameters(CATAdpExpandAll));
  CATListPtrCATIPLMComponent opened;
  bool ok = true;
  for (CATIAdpPLMIdentificator_var id; ok && SUCCEEDED(results.NextInfos(id));) {
    CATIPLMComponent* component = nullptr;
    if (FAILED(opener.CompleteAndOpen(id, IID_CATIPLMComponent, reinterpret_cast<void**>(&component))) ||
        !component) {
      error = LastPLMError("cannot open " + externalId);
      ok = false;
    } else {
      opened.Append(component);
    }
  }
  if (!ok) {
    for (CATIPLMComponent* component : opened) component->Release();
    return false;
  }
  found.Append(opened);
  return true;
}

CATFrmEditor* CATClientSession::SelectionEditor() const {
  if (!frame_) return nullptr;
  CATString workbench = frame_->GetCurrentWorkbench();
  if (workbench == "CATImmSearch" || workbench == "3DEXPERIENCEPlatform") return frame_->GetSearchEditor();
  return CATFrmEditor::GetCurrentEditor();
}
