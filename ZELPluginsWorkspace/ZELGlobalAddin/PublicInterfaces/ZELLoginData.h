#ifndef ZELLoginData_h
#define ZELLoginData_h
// The PDM login of the session: user, password, group, role, login locale and whether a login succeeded.
// User, group and role are remembered in the "ZELDialogInput" settings so a later session offers them
// again; the password lives in memory only. Main thread only.
#include "CATUnicodeString.h"
#include "ZELGlobalAddinExport.h"

class ZELTestAccess;

class ExportedByZELGlobalAddin ZELLoginData {
 public:
  static CATUnicodeString GetUser();
  static CATUnicodeString GetPassword();
  static CATUnicodeString GetGroup();
  static CATUnicodeString GetRole();
  static CATUnicodeString GetLoginLocale();
  static unsigned char GetLoginOk();

  // Keeps the four values in memory and remembers user, group and role in the settings.
  static void SetLoginData(const CATUnicodeString& user, const CATUnicodeString& password,
                           const CATUnicodeString& group, const CATUnicodeString& role);
  // 0 also forgets the password. The command availability follows the new state.
  static void SetLoginOk(unsigned char flag);

 private:
  friend class ::ZELTestAccess;
  static CATUnicodeString ReadRemembered(CATUnicodeString& value, const char* attribute,
                                         const char* olderAttribute);

  static CATUnicodeString s_uUser;
  static CATUnicodeString s_uPassword;
  static CATUnicodeString s_uGroup;
  static CATUnicodeString s_uRole;
  static CATUnicodeString s_uLoginLocale;
  static unsigned char s_cLoginOk;
};

#endif
