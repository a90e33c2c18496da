#ifndef CATClientVerbs_h
#define CATClientVerbs_h
// The verbs of the client program's script: one handler per verb, in one file per family under src/verbs,
// all listed in the single table of src/verbs/CATClientVerbTable.cpp (which is also the order help shows).
// A new family adds its file, declares its handlers here and registers each in the table. A handler
// prints through the script and fails the line with Fail; an exception fails only its line.
#include <span>
#include <string>
#include <string_view>

class CATClientScript;

namespace CATClientVerbs {

typedef void (*Handler)(CATClientScript& script, const std::string& arguments);

struct Entry {
  std::string_view name;
  Handler handler;
  std::string_view usage;
};

std::span<const Entry> Table();
// Null when the script has no such verb; names compare exactly.
const Entry* Find(std::string_view name);

// The session: CATClientSessionVerbs.cpp.
void Help(CATClientScript& script, const std::string& arguments);
void Echo(CATClientScript& script, const std::string& arguments);
void Env(CATClientScript& script, const std::string& arguments);
void Unset(CATClientScript& script, const std::string& arguments);
void Wait(CATClientScript& script, const std::string& arguments);
void Quit(CATClientScript& script, const std::string& arguments);

// Windows and the selection: CATClientWindowVerbs.cpp.
void Workbench(CATClientScript& script, const std::string& arguments);
void Workshop(CATClientScript& script, const std::string& arguments);
void Windows(CATClientScript& script, const std::string& arguments);
void Activate(CATClientScript& script, const std::string& arguments);
void CloseWindow(CATClientScript& script, const std::string& arguments);
void Minimize(CATClientScript& script, const std::string& arguments);
void Restore(CATClientScript& script, const std::string& arguments);
void Select(CATClientScript& script, const std::string& arguments);
void SelectAdd(CATClientScript& script, const std::string& arguments);
void ClearSelection(CATClientScript& script, const std::string& arguments);
void Selection(CATClientScript& script, const std::string& arguments);
void Tree(CATClientScript& script, const std::string& arguments);

// The PLM database: CATClientPLMVerbs.cpp.
void Open(CATClientScript& script, const std::string& arguments);
void OpenExplorer(CATClientScript& script, const std::string& arguments);
void Insert(CATClientScript& script, const std::string& arguments);
void Search(CATClientScript& script, const std::string& arguments);

// Libraries, commands and add-ins: CATClientCommandVerbs.cpp.
void Load(CATClientScript& script, const std::string& arguments);
void Start(CATClientScript& script, const std::string& arguments);
void StartHeader(CATClientScript& script, const std::string& arguments);
void Headers(CATClientScript& script, const std::string& arguments);
void Addins(CATClientScript& script, const std::string& arguments);
void ActionBar(CATClientScript& script, const std::string& arguments);

// The backbone bus: CATClientBusVerbs.cpp.
void Receiver(CATClientScript& script, const std::string& arguments);
void Serve(CATClientScript& script, const std::string& arguments);
void Messages(CATClientScript& script, const std::string& arguments);

// Dialogs and notification boxes: CATClientDialogVerbs.cpp.
void Dialogs(CATClientScript& script, const std::string& arguments);
void Options(CATClientScript& script, const std::string& arguments);
void Check(CATClientScript& script, const std::string& arguments);
void Uncheck(CATClientScript& script, const std::string& arguments);
void Type(CATClientScript& script, const std::string& arguments);
void Choose(CATClientScript& script, const std::string& arguments);
void ChooseAdd(CATClientScript& script, const std::string& arguments);
void Press(CATClientScript& script, const std::string& arguments);
void Close(CATClientScript& script, const std::string& arguments);
void Answer(CATClientScript& script, const std::string& arguments);
void Boxes(CATClientScript& script, const std::string& arguments);

// PLM batches, coexistence mappings, opened documents, interrupted commands: CATClientBatchVerbs.cpp.
void Batches(CATClientScript& script, const std::string& arguments);
void Mappings(CATClientScript& script, const std::string& arguments);
void Documents(CATClientScript& script, const std::string& arguments);
void Desactivate(CATClientScript& script, const std::string& arguments);
void Reactivate(CATClientScript& script, const std::string& arguments);

}  // namespace CATClientVerbs

#endif
