#ifndef test_plugin_greeting_h
#define test_plugin_greeting_h
// Interface of the test plugin: shared by the plugin and by the test that creates its component by name.
#include "CATBaseUnknown.h"

CATDeclareIID(ZELITestGreeting);

class ZELITestGreeting : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(ZELITestGreeting);
  virtual const char* Greeting() const = 0;
};

#endif
