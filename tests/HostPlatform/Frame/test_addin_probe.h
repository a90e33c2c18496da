#ifndef test_addin_probe_h
#define test_addin_probe_h
// Shared by the test add-ins and the test that has the frame load them by name: how often the frame
// called an add-in, read back through the add-in object the frame keeps.
#include "CATBaseUnknown.h"

CATDeclareIID(ZELITestAddinProbe);

class ZELITestAddinProbe : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(ZELITestAddinProbe);
  virtual int CommandsCalls() const = 0;
  virtual int ToolbarsCalls() const = 0;
  // CreateToolbars must come after CreateCommands: the starters name the headers declared there.
  virtual bool CommandsCameFirst() const = 0;
};

#endif
