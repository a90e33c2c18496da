#include "ZELLoginData.h"

#include "CATSysSettingRepository.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELGlobalAddin.h"
#include "ZELImmNavAddin.h"
#include "ZELImmSearchAddin.h"

CATUnicodeString ZELLoginData::s_uUser;
CATUnicodeString ZELLoginData::s_uPassword;
CATUnicodeString ZELLoginData::s_uGroup;
CATUnicodeString ZELLoginData::s_uRole;
CATUnicodeString ZELLoginData::s_uLoginLocale;
unsigned char ZELLoginData::s_cLoginOk = 0;

namespace {

const char* const kRepository = "ZELDialogInput";

}  // namespace

// Stores of earlier builds hold the values under the names without "TC"; they are still offered.
CATUnicodeString ZELLoginData::ReadRemembered(CATUnicodeString& value, const char* attribute,
                                              const char* olderAttribute) {
  ZEL_DEBUG_SCOPE("ZELLoginData::ReadRemembered");
  if (!value.IsNull()) return value;
  CATSysSettingRepository* repository = CATSysSettingRepository::GetRepository(kRepository);
  if (!repository) {
    ZEL_FAILURE_POINT();
    return value;
  }
  CATUnicodeString read;
  if ((SUCCEEDED(repository->ReadAttr(attribute, read)) && !read.IsNull()) ||
      (SUCCEEDED(repository->ReadAttr(olderAttribute, read)) && !read.IsNull()))
    value = read;
  repository->Release();
  return value;
}

CATUnicodeString ZELLoginData::GetUser() {
  ZEL_DEBUG_SCOPE("ZELLoginData::GetUser");
  return ReadRemembered(s_uUser, "TCUser", "User");
}

CATUnicodeString ZELLoginData::GetPassword() {
  ZEL_DEBUG_SCOPE("ZELLoginData::GetPassword");
  return s_uPassword;
}

CATUnicodeString ZELLoginData::GetGroup() {
  ZEL_DEBUG_SCOPE("ZELLoginData::GetGroup");
  return ReadRemembered(s_uGroup, "TCGroup", "Group");
}

CATUnicodeString ZELLoginData::GetRole() {
  ZEL_DEBUG_SCOPE("ZELLoginData::GetRole");
  return ReadRemembered(s_uRole, "TCRole", "Role");
}

CATUnicodeString ZELLoginData::GetLoginLocale() {
  ZEL_DEBUG_SCOPE("ZELLoginData::GetLoginLocale");
  if (s_uLoginLocale.IsNull())
    s_uLoginLocale = ZELGlobal::BuildMessage("", "LoginLocale", nullptr, 0, CATUnicodeString("en"));
  return s_uLoginLocale;
}

unsigned char ZELLoginData::GetLoginOk() {
  return s_cLoginOk;
}

void ZELLoginData::SetLoginData(const CATUnicodeString& user, const CATUnicodeString& password,
                                const CATUnicodeString& group, const CATUnicodeString& role) {
  ZEL_DEBUG_SCOPE("ZELLoginData::SetLoginData");
  s_uUser = user;
  s_uPassword = password;
  s_uGroup = group;
  s_uRole = role;
  CATSysSettingRepository* repository = CATSysSettingRepository::GetRepository(kRepository);
  if (!repository) {
    ZEL_FAILURE_POINT();
    return;
  }
  if (FAILED(repository->WriteAttr("TCUser", user)) || FAILED(repository->WriteAttr("TCGroup", group)) ||
      FAILED(repository->WriteAttr("TCRole", role)) || FAILED(repository->SaveRepository()))
    ZEL_FAILURE_POINT();
  repository->Release();
}

void ZELLoginData::SetLoginOk(unsigned char flag) {
  ZEL_DEBUG_SCOPE("ZELLoginData::SetLoginOk");
  if (!flag) s_uPassword = CATUnicodeString();
  s_cLoginOk = flag;
  ZELGlobalAddin::SetCallbacks();
  ZELGlobalAddin::UpdateCommandHeader();
  ZELImmNavAddin::UpdateImmNavAddinCommandHeader();
  ZELImmSearchAddin::UpdateImmSearchAddinCommandHeader();
}
