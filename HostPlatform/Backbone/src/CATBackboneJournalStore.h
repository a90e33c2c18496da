#ifndef CATBackboneJournalStore_h
#define CATBackboneJournalStore_h
// How the bus writes to its journal: an entry per incoming request, completed when it is answered or
// fails.
#include <cstdint>
#include <string>
#include <vector>

#include "CATBackboneJournal.h"

// Adds an entry and returns its number (never 0).
uint64_t CATBackboneJournalAdd(CATBackboneJournalEntry entry);
// Records the answer of an entry; nothing when it has left the journal.
void CATBackboneJournalAnswered(uint64_t number, std::vector<std::string> answerItems);
// Records why an entry was not delivered or not answered (the first reason stays).
void CATBackboneJournalFailed(uint64_t number, const std::string& error);

#endif
