// A plugin library reached only through a dictionary file: the test never links it.
#include "CATInstantiateComponent.h"
#include "test_plugin_greeting.h"

class ZELTestGreeter : public ZELITestGreeting {
 public:
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<ZELITestGreeting>(this, iid, out);
  }
  const char* Greeting() const override { return "greetings from the plugin"; }
};

CATImplementComponent(ZELTestGreeter)
