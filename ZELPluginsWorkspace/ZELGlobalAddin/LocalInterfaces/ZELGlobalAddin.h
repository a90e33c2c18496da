#ifndef ZELGlobalAddin_h
#define ZELGlobalAddin_h
// The add-in of every workbench: declares the headers of the system's commands, builds their action-bar
// section, keeps the headers' availability in step with the login and the current window, and brings the
// session's backbone receiver up once per session.
#include "CATEventSubscriber.h"
#include "CATIAfrGeneralWksAddin.h"
#include "CATString.h"

class CATCommand;
class ZELTestAccess;

class ZELGlobalAddin : public CATIAfrGeneralWksAddin {
 public:
  ZELGlobalAddin() = default;
  ZELGlobalAddin(const ZELGlobalAddin&) = delete;
  ZELGlobalAddin& operator=(const ZELGlobalAddin&) = delete;

  HRESULT QueryInterface(const IID& iid, void** out) override;
  void CreateCommands() override;
  CATCmdContainer* CreateToolbars() override;

  // Subscribes to the layout's window notifications, once per session, when a layout exists.
  static void SetCallbacks();
  // Recomputes the availability of the declared headers from the login and the current workshop.
  static void UpdateCommandHeader();

 protected:
  ~ZELGlobalAddin() override = default;

 private:
  friend class ::ZELTestAccess;
  static void StartupTimeOut(CATCommand* client, int unused, void* data);
  static void WindowCloseCallBack(CATEventSubscriber* subscriber, CATBaseUnknown* publisher,
                                  CATNotification* notification, CATSubscriberData data,
                                  CATCallback callback);
  static void WindowChangedCallBack(CATEventSubscriber* subscriber, CATBaseUnknown* publisher,
                                    CATNotification* notification, CATSubscriberData data,
                                    CATCallback callback);
  static void SetHeaderAvailable(const CATString& id, int available);
  static void BringUpReceiver();

  // Held for the session: the add-in objects are the platform's to release.
  static CATEventSubscriber* s_pSubscriber;
  static CATBaseUnknown* s_pReceiver;
  static unsigned char s_bCallbacksSet;
};

#endif
