#ifndef ZELAddinSwitch_h
#define ZELAddinSwitch_h
// The command switches: environment variables read when the headers and the action bar are built; unset
// reads as empty.
#include "CATLib.h"
#include "CATUnicodeString.h"

enum class ZELAddinSwitchKind { NotOff, On };

// NotOff enables unless the value is "OFF"; On enables only for "ON". forcedOff reads the value as "OFF".
inline bool ZELAddinSwitchEnabled(const char* variable, ZELAddinSwitchKind kind, bool forcedOff = false) {
  const char* value = CATGetEnv(variable);
  CATUnicodeString text(forcedOff ? "OFF" : (value ? value : ""));
  return kind == ZELAddinSwitchKind::On ? text.Compare("ON") != 0 : text.Compare("OFF") == 0;
}

#endif
