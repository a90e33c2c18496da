#ifndef ZELElementPropertyPageCtl_h
#define ZELElementPropertyPageCtl_h
// Access to the "ServerUrl" attribute of the "ZELOptions" settings, in memory until the options dialog
// commits.
#include "CATBaseUnknown.h"
#include "CATSettingAdmin.h"
#include "CATUnicodeString.h"

class CATSysSettingRepository;

class ZELElementPropertyPageCtl : public CATBaseUnknown {
 public:
  ZELElementPropertyPageCtl();
  ZELElementPropertyPageCtl(const ZELElementPropertyPageCtl&) = delete;
  ZELElementPropertyPageCtl& operator=(const ZELElementPropertyPageCtl&) = delete;

  virtual HRESULT Initialize();
  // E_FAIL also when the administrator locked the setting.
  virtual HRESULT SetServerUrl(const CATUnicodeString& iUrl);
  // S_OK only when the setting holds a value.
  virtual HRESULT GetServerUrl(CATUnicodeString& oUrl);
  virtual HRESULT GetInfoServerUrl(CATSettingInfo& oInfo);

 protected:
  ~ZELElementPropertyPageCtl() override;

 private:
  CATSysSettingRepository* _repository = nullptr;
};

#endif
