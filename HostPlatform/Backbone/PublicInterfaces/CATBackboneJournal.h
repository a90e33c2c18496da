#ifndef CATBackboneJournal_h
#define CATBackboneJournal_h
// What this process's bus received: one entry per incoming request, in order of arrival, with the string
// items of its body and of its answer, so a session can show what others sent it. Keeps the last 1,000.
#include <string>
#include <vector>

#include "CATBackboneExport.h"

struct CATBackboneJournalEntry {
  std::string application;         // the declared application it was sent to
  std::string messageClass;        // its class name
  std::vector<std::string> items;  // the string items of its body, as received
  bool answerWanted = false;
  bool answered = false;
  std::vector<std::string> answerItems;  // the string items of the answer sent
  std::string error;                     // why it was not delivered or not answered, empty when all went well
};

ExportedByCATBackbone std::vector<CATBackboneJournalEntry> CATGetBackboneJournal();
ExportedByCATBackbone void CATClearBackboneJournal();

#endif
