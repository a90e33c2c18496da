#ifndef CATSysSettingRepository_h
#define CATSysSettingRepository_h
// Per-user named settings repositories of string and string-array attributes, kept in files
// "<dir>/<Name>.CATSettings" where <dir> is "CATUserSettingPath" (else ~/.config/zel/settings).
// Writes go to memory; SaveRepository replaces the file atomically.
#include "CATBaseUnknown.h"
#include "CATListOfCATUnicodeString.h"
#include "CATUnicodeString.h"

class ExportedByCATSysTS CATSettingRepository : public CATBaseUnknown {
 public:
  // The process-wide repository of that name, created empty when no file exists. Caller releases.
  static CATSettingRepository* GetRepository(const char* name);
  // Whether a repository of that name exists (in memory or on disk).
  static int ExistsRepository(const char* name);

  virtual const char* GetName() const = 0;
  virtual HRESULT ReadSetting(const char* attribute, CATUnicodeString& value) const = 0;
  virtual HRESULT WriteSetting(const char* attribute, const CATUnicodeString& value) = 0;
  virtual HRESULT ReadArray(const char* attribute, CATListValCATUnicodeString& values) const = 0;
  virtual HRESULT WriteArray(const char* attribute, const CATListValCATUnicodeString& values) = 0;
  virtual HRESULT RemoveAttribute(const char* attribute) = 0;
  virtual HRESULT SaveRepository() = 0;
  // Re-reads the file, dropping unsaved changes.
  virtual HRESULT ReloadRepository() = 0;
};

class ExportedByCATSysTS CATSysSettingRepository : public CATSettingRepository {
 public:
  static CATSysSettingRepository* GetRepository(const char* name);
  // ReadAttr/WriteAttr are the names older code uses for ReadSetting/WriteSetting.
  HRESULT ReadAttr(const char* attribute, CATUnicodeString& value) const {
    return ReadSetting(attribute, value);
  }
  HRESULT WriteAttr(const char* attribute, const CATUnicodeString& value) {
    return WriteSetting(attribute, value);
  }
  // Drops every repository held in memory (tests that switch CATUserSettingPath).
  static void ResetAll();
};

#endif
