#ifndef CATSettingAdmin_h
#define CATSettingAdmin_h
// What the administrator decided about user settings, read from "<Repository>.CATSettingsAdmin" beside the
// user's settings (the directory of CATSysSettingRepository): lines "NAME=VALUE" give an attribute's
// administrator value, lines "lock NAME" lock it; blank lines and lines beginning with '#' are ignored. A
// file larger than kMaxFileBytes is ignored as a whole (nothing locked, no values).
#include <cstddef>

#include "CATDialogExport.h"
#include "CATString.h"
#include "CATUnicodeString.h"

struct ExportedByCATDialog CATSettingInfo {
  CATString repository;
  CATString attribute;
  int locked = 0;
  int hasAdminValue = 0;
  CATUnicodeString adminValue;
};

class ExportedByCATDialog CATSettingAdmin {
 public:
  static constexpr size_t kMaxFileBytes = 64 * 1024;

  // S_OK with the attribute's lock and administrator value; E_INVALIDARG for a name the settings refuse.
  static HRESULT GetInfo(const char* repository, const char* attribute, CATSettingInfo& info);
  // Gives the attribute its administrator value in the (in-memory) repository, or removes it when the
  // administrator gives none. The file is written by the repository's SaveRepository.
  static HRESULT ResetAttribute(const char* repository, const char* attribute);
};

#endif
