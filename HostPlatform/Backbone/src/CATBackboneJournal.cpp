#include "CATBackboneJournal.h"

#include <deque>
#include <mutex>

#include "CATBackboneJournalStore.h"

namespace {

constexpr size_t kJournalSize = 1000;

struct Journal {
  std::mutex mutex;
  std::deque<std::pair<uint64_t, CATBackboneJournalEntry>> entries;
  uint64_t last = 0;

  CATBackboneJournalEntry* Find(uint64_t number) {
    // Numbers rise along the deque, so the entry's place follows from the first one's number.
    if (entries.empty() || number < entries.front().first) return nullptr;
    uint64_t index = number - entries.front().first;
    return index < entries.size() ? &entries[index].second : nullptr;
  }
};

// Never destroyed: a receiver may still write from another library's static finaliser.
Journal& TheJournal() {
  static Journal* journal = new Journal;
  return *journal;
}

}  // namespace

uint64_t CATBackboneJournalAdd(CATBackboneJournalEntry entry) {
  Journal& journal = TheJournal();
  std::lock_guard<std::mutex> lock(journal.mutex);
  journal.entries.emplace_back(++journal.last, std::move(entry));
  while (journal.entries.size() > kJournalSize) journal.entries.pop_front();
  return journal.last;
}

void CATBackboneJournalAnswered(uint64_t number, std::vector<std::string> answerItems) {
  Journal& journal = TheJournal();
  std::lock_guard<std::mutex> lock(journal.mutex);
  if (CATBackboneJournalEntry* entry = journal.Find(number)) {
    entry->answered = true;
    entry->answerItems = std::move(answerItems);
  }
}

void CATBackboneJournalFailed(uint64_t number, const std::string& error) {
  Journal& journal = TheJournal();
  std::lock_guard<std::mutex> lock(journal.mutex);
  if (CATBackboneJournalEntry* entry = journal.Find(number))
    if (entry->error.empty()) entry->error = error;
}

std::vector<CATBackboneJournalEntry> CATGetBackboneJournal() {
  Journal& journal = TheJournal();
  std::lock_guard<std::mutex> lock(journal.mutex);
  std::vector<CATBackboneJournalEntry> out;
  out.reserve(journal.entries.size());
  for (const auto& [number, entry] : journal.entries) out.push_back(entry);
  return out;
}

void CATClearBackboneJournal() {
  Journal& journal = TheJournal();
  std::lock_guard<std::mutex> lock(journal.mutex);
  journal.entries.clear();
}
