#ifndef CATCommandHeader_h
#define CATCommandHeader_h
// Command headers: what the action bar shows for a command. A header names the library and the class of
// its command, which is created through the library's exported factory (see CATAfrCommandFactory) when
// the user starts it. Headers are declared in the application frame and found there by identifier.
#include "CATAfrFoundationExport.h"
#include "CATBaseUnknown.h"
#include "CATIAfrCommandHeader.h"
#include "CATString.h"

class CATCommand;

// Availability of a header (the last argument of CreateCmdHdrArgs).
#define CATFrmUnavailable 0
#define CATFrmAvailable 1

CATDeclareIID(CATCommandHeader);

class ExportedByCATAfrFoundation CATCommandHeader : public CATIAfrCommandHeader {
 public:
  CATDeclareInterfaceId(CATCommandHeader);
  CATCommandHeader(const CATString& id, const CATString& library, const CATString& className, void* argument,
                   const CATString& resource, const CATString& framework, int state);
  HRESULT QueryInterface(const IID& iid, void** out) override;

  const CATString& GetID() const { return id_; }
  const CATString& GetLibrary() const { return library_; }
  const CATString& GetClassName() const { return className_; }
  void* GetArgument() const { return argument_; }
  const CATString& GetResourceName() const { return resource_; }
  const CATString& GetFramework() const { return framework_; }

  int IsAvailable() const override { return available_; }
  void BecomeAvailable() override { available_ = 1; }
  void BecomeUnavailable() override { available_ = 0; }

  // Starts the header's command in the application frame, as a press on the action bar does. E_FAIL when
  // the header is unavailable, there is no frame, or the command cannot be created or activated. The
  // command (not owned by the caller) is returned when asked for.
  HRESULT StartCommand(CATCommand** oCommand = nullptr);

 private:
  CATString id_, library_, className_, resource_, framework_;
  void* argument_;
  int available_;
};

// Declares a header in the application frame and returns it (the frame owns it). The header already
// declared under that identifier is returned unchanged; null when there is no frame or no identifier.
ExportedByCATAfrFoundation CATCommandHeader* CreateCmdHdrArgs(const CATString& id, const CATString& library,
                                                              const CATString& className, void* argument,
                                                              const CATString& resource,
                                                              const CATString& framework, int state);
// The header declared under the identifier in the application frame, or null.
ExportedByCATAfrFoundation CATCommandHeader* GetCmdHdr(const CATString& id);

#endif
