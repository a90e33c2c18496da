#include "ZELElementPropertyPageCtl.h"

#include "CATSysSettingRepository.h"
#include "ZELDebug.h"

namespace {

const char* const kRepository = "ZELOptions";
const char* const kAttribute = "ServerUrl";

}  // namespace

ZELElementPropertyPageCtl::ZELElementPropertyPageCtl()
    : _repository(CATSysSettingRepository::GetRepository(kRepository)) {
  Initialize();
}

ZELElementPropertyPageCtl::~ZELElementPropertyPageCtl() {
  if (_repository) _repository->Release();
}

HRESULT ZELElementPropertyPageCtl::Initialize() {
  ZEL_DEBUG_SCOPE("ZELElementPropertyPageCtl::Initialize");
  CATUnicodeString url;
  if (FAILED(GetServerUrl(url))) ZEL_FAILURE_POINT();
  return S_OK;
}

HRESULT ZELElementPropertyPageCtl::SetServerUrl(const CATUnicodeString& iUrl) {
  ZEL_DEBUG_SCOPE("ZELElementPropertyPageCtl::SetServerUrl");
  CATSettingInfo info;
  if (!_repository || FAILED(GetInfoServerUrl(info)) || info.locked ||
      FAILED(_repository->WriteAttr(kAttribute, iUrl))) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  return S_OK;
}

HRESULT ZELElementPropertyPageCtl::GetServerUrl(CATUnicodeString& oUrl) {
  ZEL_DEBUG_SCOPE("ZELElementPropertyPageCtl::GetServerUrl");
  oUrl = CATUnicodeString();
  if (!_repository || FAILED(_repository->ReadAttr(kAttribute, oUrl))) {
    ZEL_FAILURE_POINT();
    oUrl = CATUnicodeString();
    return E_FAIL;
  }
  return S_OK;
}

HRESULT ZELElementPropertyPageCtl::GetInfoServerUrl(CATSettingInfo& oInfo) {
  ZEL_DEBUG_SCOPE("ZELElementPropertyPageCtl::GetInfoServerUrl");
  if (!_repository || FAILED(CATSettingAdmin::GetInfo(kRepository, kAttribute, oInfo))) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  return S_OK;
}
