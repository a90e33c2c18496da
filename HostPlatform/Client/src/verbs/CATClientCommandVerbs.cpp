// The commands family: libraries, commands started through their factories or their headers, the headers
// and the add-ins of the session.
#include "CATAfrCommandFactory.h"
#include "CATClientScript.h"
#include "CATClientText.h"
#include "CATClientVerbs.h"
#include "CATCmdContainer.h"
#include "CATCommandHeader.h"
#include "CATInstantiateComponent.h"

namespace CATClientVerbs {

void Load(CATClientScript& script, const std::string& arguments) {
  std::vector<std::string> words = CATClientText::Words(arguments);
  if (words.size() != 1)
    script.Fail("usage: load LIBRARY");
  else if (FAILED(CATLoadLibrary(words[0].c_str())))
    script.Fail("cannot load library \"" + words[0] + "\"");
  else
    script.Say("loaded " + words[0]);
}

void Start(CATClientScript& script, const std::string& arguments) {
  std::vector<std::string> words = CATClientText::Words(arguments);
  if (words.empty() || words.size() > 2) {
    script.Fail("usage: start CLASS [LIBRARY]");
    return;
  }
  const std::string library = words.size() == 2 ? words[1] : std::string();
  CATCommand* command = nullptr;
  HRESULT rc = CATAfrCommandFactory::CreateCommand(words[0], library, command);
  if (rc == E_INVALIDARG)
    script.Fail("\"" + words[0] + "\" is not a class name");
  else if (FAILED(rc))
    script.Fail("no command from fctCreate" + words[0] + (library.empty() ? "" : " of library " + library));
  else if (FAILED(script.Session().GetFrame()->StartCommand(command)))
    script.Fail("command " + words[0] + " failed to start");
  else
    script.Say("started " + words[0]);
}

void StartHeader(CATClientScript& script, const std::string& arguments) {
  std::vector<std::string> words = CATClientText::Words(arguments);
  if (words.size() != 1) {
    script.Fail("usage: start-header NAME");
    return;
  }
  CATCommandHeader* header = GetCmdHdr(words[0]);
  if (!header)
    script.Fail("no command header \"" + words[0] + "\"");
  else if (!header->IsAvailable())
    script.Fail("command header \"" + words[0] + "\" is unavailable");
  else if (FAILED(header->StartCommand()))
    script.Fail("cannot start " + header->GetClassName().str() + " of library " + header->GetLibrary().str());
  else
    script.Say("started " + header->GetClassName().str());
}

void Headers(CATClientScript& script, const std::string&) {
  for (CATCommandHeader* header : script.Session().GetFrame()->ListHeaders())
    script.Say("  " + header->GetID().str() + " " + header->GetLibrary().str() + "/" +
               header->GetClassName().str() + (header->IsAvailable() ? " available" : " unavailable"));
}

void Addins(CATClientScript& script, const std::string&) {
  const std::vector<CATApplicationFrame::Addin>& addins = script.Session().GetFrame()->GetAddins();
  if (addins.empty()) script.Say("no add-ins");
  for (const CATApplicationFrame::Addin& addin : addins) {
    std::string line = "  " + addin.component.str() + " " + addin.interfaceName.str();
    if (!addin.toolbars) {
      line += " no toolbars";
    } else {
      line += " toolbars " + addin.toolbars->GetName().str() + ":";
      for (const CATCmdContainer::Starter& starter : addin.toolbars->ListAllStarters())
        line += " " + starter.name.str() + "(" + starter.header.str() + ")";
    }
    script.Say(line);
  }
}

// The containers of every add-in as a tree, each starter with its header and whether a press would start it.
void ActionBar(CATClientScript& script, const std::string&) {
  bool any = false;
  for (const CATApplicationFrame::Addin& addin : script.Session().GetFrame()->GetAddins()) {
    if (!addin.toolbars) continue;
    any = true;
    script.Say("  " + addin.component.str());
    // Walked with an explicit stack: the tree comes from plug-in code.
    std::vector<std::pair<const CATCmdAccess*, size_t>> stack{{addin.toolbars, 2}};
    while (!stack.empty()) {
      auto [access, depth] = stack.back();
      stack.pop_back();
      const std::string indent(2 * depth, ' ');
      if (const CATCmdContainer* container = dynamic_cast<const CATCmdContainer*>(access)) {
        script.Say(indent + container->GetName().str() + "/");
        const std::vector<CATCmdAccess*>& accesses = container->GetAccesses();
        for (auto it = accesses.rbegin(); it != accesses.rend(); ++it) stack.push_back({*it, depth + 1});
        continue;
      }
      const CATCmdStarter* starter = dynamic_cast<const CATCmdStarter*>(access);
      if (!starter) continue;
      const CATString& id = starter->GetCommand();
      CATCommandHeader* header = id.IsNull() ? nullptr : GetCmdHdr(id);
      std::string state = id.IsNull()             ? "no header bound"
                          : !header               ? id.str() + " not declared"
                          : header->IsAvailable() ? id.str() + " available"
                                                  : id.str() + " unavailable";
      script.Say(indent + starter->GetName().str() + " -> " + state);
    }
  }
  if (!any) script.Say("no action bar");
}

}  // namespace CATClientVerbs
