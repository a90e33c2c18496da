#include <array>

#include "CATClientVerbs.h"

namespace CATClientVerbs {
namespace {

// Every verb of the script, in the order help lists them.
constexpr std::array kVerbs = {
    Entry{"help", &Help, "help"},
    Entry{"echo", &Echo, "echo TEXT"},
    Entry{"env", &Env, "env NAME [VALUE]"},
    Entry{"unset", &Unset, "unset NAME"},
    Entry{"wait", &Wait, "wait MS"},
    Entry{"quit", &Quit, "quit"},
    Entry{"workbench", &Workbench, "workbench [NAME]"},
    Entry{"workshop", &Workshop, "workshop [NAME]"},
    Entry{"open", &Open, "open TYPE EXTERNALID [REVISION]"},
    Entry{"open-explorer", &OpenExplorer, "open-explorer TYPE EXTERNALID [REVISION]"},
    Entry{"insert", &Insert, "insert TYPE EXTERNALID [REVISION]"},
    Entry{"search", &Search, "search TYPE EXTERNALID [REVISION]"},
    Entry{"windows", &Windows, "windows"},
    Entry{"activate", &Activate, "activate N"},
    Entry{"close-window", &CloseWindow, "close-window N"},
    Entry{"minimize", &Minimize, "minimize N"},
    Entry{"restore", &Restore, "restore N"},
    Entry{"select", &Select, "select PATH"},
    Entry{"select-add", &SelectAdd, "select-add PATH"},
    Entry{"clear-selection", &ClearSelection, "clear-selection"},
    Entry{"selection", &Selection, "selection"},
    Entry{"tree", &Tree, "tree"},
    Entry{"load", &Load, "load LIBRARY"},
    Entry{"start", &Start, "start CLASS [LIBRARY]"},
    Entry{"start-header", &StartHeader, "start-header NAME"},
    Entry{"headers", &Headers, "headers"},
    Entry{"addins", &Addins, "addins"},
    Entry{"action-bar", &ActionBar, "action-bar"},
    Entry{"receiver", &Receiver, "receiver"},
    Entry{"serve", &Serve, "serve SECONDS [STOPFILE]"},
    Entry{"messages", &Messages, "messages"},
    Entry{"dialogs", &Dialogs, "dialogs"},
    Entry{"options", &Options, "options"},
    Entry{"check", &Check, "check DIALOG/CONTROL"},
    Entry{"uncheck", &Uncheck, "uncheck DIALOG/CONTROL"},
    Entry{"type", &Type, "type DIALOG/CONTROL [TEXT]"},
    Entry{"choose", &Choose, "choose DIALOG/CONTROL LINE"},
    Entry{"choose-add", &ChooseAdd, "choose-add DIALOG/CONTROL LINE"},
    Entry{"press", &Press, "press DIALOG/CONTROL | press DIALOG BUTTON"},
    Entry{"close", &Close, "close DIALOG"},
    Entry{"answer", &Answer, "answer N"},
    Entry{"boxes", &Boxes, "boxes"},
    Entry{"batches", &Batches, "batches"},
    Entry{"mappings", &Mappings, "mappings [EXTERNALID]"},
    Entry{"documents", &Documents, "documents"},
    Entry{"desactivate", &Desactivate, "desactivate DIALOG"},
    Entry{"reactivate", &Reactivate, "reactivate DIALOG"},
};

}  // namespace

std::span<const Entry> Table() {
  return kVerbs;
}

const Entry* Find(std::string_view name) {
  for (const Entry& entry : kVerbs)
    if (entry.name == name) return &entry;
  return nullptr;
}

}  // namespace CATClientVerbs
