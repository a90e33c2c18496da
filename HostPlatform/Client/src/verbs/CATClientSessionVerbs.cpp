// The session family: help, echo, the environment, waiting on the event loop, and quit.
#include "CATClientScript.h"
#include "CATClientText.h"
#include "CATClientVerbs.h"
#include "CATLib.h"

namespace {

// Bounds one wait line, so a script cannot park the client beyond ten minutes.
const int kMaxWaitMs = 600000;

}  // namespace

namespace CATClientVerbs {

void Help(CATClientScript& script, const std::string&) {
  for (const Entry& verb : Table()) script.Say("  " + std::string(verb.usage));
}

void Echo(CATClientScript& script, const std::string& arguments) {
  script.Say(arguments);
}

void Env(CATClientScript& script, const std::string& arguments) {
  std::string value = arguments;
  std::string name = CATClientText::Shift(value);
  if (name.empty() || name.find('=') != std::string::npos) {
    script.Fail("usage: env NAME [VALUE]");
    return;
  }
  if (value.empty()) {
    // The value may come from whoever started the client, not from the script.
    const char* current = CATGetEnv(name.c_str());
    script.Say(current ? name + "=" + CATClientText::Escaped(current) : name + " is not set");
    return;
  }
  CATSetEnv(name.c_str(), value.c_str());
}

void Unset(CATClientScript& script, const std::string& arguments) {
  std::vector<std::string> words = CATClientText::Words(arguments);
  if (words.size() != 1 || words[0].find('=') != std::string::npos) {
    script.Fail("usage: unset NAME");
    return;
  }
  CATSetEnv(words[0].c_str(), nullptr);
}

void Wait(CATClientScript& script, const std::string& arguments) {
  int ms = 0;
  if (!CATClientText::ParseInt(CATClientText::Trim(arguments), 0, kMaxWaitMs, ms)) {
    script.Fail("usage: wait MS (0 to " + std::to_string(kMaxWaitMs) + ")");
    return;
  }
  script.Session().GetApplication()->RunFor(ms);
}

void Quit(CATClientScript& script, const std::string&) {
  script.RequestQuit();
}

}  // namespace CATClientVerbs
