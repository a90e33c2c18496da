#ifndef CATClientDialogs_h
#define CATClientDialogs_h
// The dialogs a script sees and acts on: every dialog window of the application (under the application
// and under the commands the frame runs), the frame's own main and document windows excepted. A dialog is
// named by its name; a control by the dialog's name and the control's path, "Dialog/Frame/Control".
#include <string>
#include <vector>

#include "CATDlgDialog.h"

class CATClientDialogs {
 public:
  // Top-most dialog windows in tree order (a window's description covers the windows inside it).
  static std::vector<CATDlgDialog*> List();
  // The first listed window of that name, or null.
  static CATDlgDialog* Find(const std::string& name);
  // The control "Dialog/Control..." or null with the reason.
  static CATDialog* FindControl(const std::string& path, std::string& error);
};

#endif
