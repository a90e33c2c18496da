// The last error, failures on demand, the session's credentials and the connection to the database.
#include <map>
#include <sstream>

#include "CATAdpPublicSecurityServices.h"
#include "CATError.h"
#include "CATLib.h"
#include "CATPLMFailureInjection.h"
#include "CATPLMSession.h"
#include "CATPLMSessionImpl.h"

namespace {

struct LastError {
  bool set = false;
  HRESULT code = S_OK;
  CATUnicodeString message;
};
thread_local LastError lastError;

struct Injection {
  CATUnicodeString message;
  int successesLeft = 0;
};

std::map<std::string, Injection>& Injections() {
  static std::map<std::string, Injection> injections;
  return injections;
}

bool KnownOperation(const std::string& name) {
  return name == "Open" || name == "Save" || name == "Query" || name == "Write" || name == "Read" ||
         name == "BatchSubmit" || name == "BatchReturnCode" || name == "Batch" || name == "BatchEnd";
}

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::string();
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

}  // namespace

CATError* CATError::CATGetLastError(HRESULT iCode) {
  if (!lastError.set || lastError.code != iCode) return nullptr;
  return new CATError(lastError.code, lastError.message);
}

void CATError::CATSetLastError(HRESULT iCode, const CATUnicodeString& iMessage) {
  lastError.set = true;
  lastError.code = iCode;
  lastError.message = iMessage;
}

void CATError::CATCleanLastError() {
  lastError = LastError();
}

HRESULT CATPLMFailureInjection::Set(const char* iOperation, const CATUnicodeString& iMessage, int iAfter) {
  if (!iOperation || !KnownOperation(iOperation) || iAfter < 0) return E_INVALIDARG;
  Injections()[iOperation] = Injection{iMessage, iAfter};
  return S_OK;
}

void CATPLMFailureInjection::Clear(const char* iOperation) {
  if (iOperation)
    Injections().erase(iOperation);
  else
    Injections().clear();
}

bool CATPLMInjectedFailure(const char* operation, CATUnicodeString& message) {
  auto found = Injections().find(operation);
  if (found != Injections().end()) {
    if (found->second.successesLeft > 0) {
      --found->second.successesLeft;
    } else {
      message = found->second.message;
      return true;
    }
  }
  const char* env = CATGetEnv("ZEL_PLM_FAIL");
  std::istringstream entries(env ? env : "");
  std::string entry;
  while (std::getline(entries, entry, ',')) {
    size_t equals = entry.find('=');
    if (Trim(entry.substr(0, equals)) != operation) continue;
    std::string text = equals == std::string::npos ? std::string() : Trim(entry.substr(equals + 1));
    message = text.empty() ? std::string(operation) + " refused by the PLM server" : text;
    return true;
  }
  return false;
}

HRESULT CATAdpPublicSecurityServices::GetSecurityParameters(const CATUnicodeString& iRepository,
                                                            CATUnicodeString& oUser,
                                                            CATUnicodeString& oOrganization,
                                                            CATUnicodeString& oProject,
                                                            CATUnicodeString& oRole) {
  CATPLMSessionPtr session = CATPLMSessionImpl::Current();
  if (!session) return E_FAIL;
  std::map<std::string, std::string> info;
  CATPLMStatement query(session->Db(), "SELECT key, value FROM plm_info");
  int rc;
  while ((rc = query.Step()) == SQLITE_ROW) info[query.Text(0)] = query.Text(1);
  if (rc != SQLITE_DONE) return session->Fail("Cannot read the security parameters");
  if (!iRepository.IsNull() && iRepository.ConvertToUTF8() != info["repository"])
    return CATPLMFail("Unknown PLM repository " + iRepository.ConvertToUTF8());
  const char* user = CATGetEnv("ZEL_PLM_USER");
  oUser = (user && *user) ? std::string(user) : info["user"];
  oOrganization = info["organization"];
  oProject = info["project"];
  oRole = info["role"];
  return S_OK;
}

HRESULT CATPLMSession::Connect(const char* iPath) {
  return CATPLMSessionImpl::Connect(iPath ? iPath : "");
}

void CATPLMSession::Disconnect() {
  CATPLMSessionImpl::Disconnect();
}

CATBoolean CATPLMSession::IsConnected() {
  return CATPLMSessionImpl::CurrentIfOpen() ? TRUE : FALSE;
}

CATUnicodeString CATPLMSession::GetDatabasePath() {
  CATPLMSessionPtr session = CATPLMSessionImpl::CurrentIfOpen();
  return session ? session->Path() : CATPLMSessionImpl::ConfiguredPath();
}

int CATPLMSession::CountLoadedObjects() {
  CATPLMSessionPtr session = CATPLMSessionImpl::CurrentIfOpen();
  return session ? session->LoadedCount() : 0;
}
