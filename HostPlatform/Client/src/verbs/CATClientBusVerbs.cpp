// The bus family: whether the session's receiver of backbone requests runs, serving the event loop so that
// other processes can reach the session, and what the session received.
#include <sys/stat.h>

#include <chrono>

#include "CATApplication.h"
#include "CATBackboneBus.h"
#include "CATBackboneJournal.h"
#include "CATClientScript.h"
#include "CATClientSession.h"
#include "CATClientText.h"
#include "CATClientVerbs.h"
#include "CATEventLoopInputs.h"

namespace {

// One serve line keeps the session up for at most a day.
const int kMaxServeSeconds = 86400;
// How often a serving session looks for its stop file.
const int kStopFilePollMs = 100;
// Bounds the last turns that serve what arrived before the stop file.
const int kMaxDrainRounds = 1000;

std::string QuotedItems(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += " " + CATClientText::Quoted(item);
  return text;
}

}  // namespace

namespace CATClientVerbs {

// The workbench add-in brings the receiver up when the session starts; this only reports whether the session
// serves anything on the bus.
void Receiver(CATClientScript& script, const std::string& arguments) {
  if (!CATClientText::Trim(arguments).empty()) {
    script.Fail("usage: receiver");
    return;
  }
  script.Say(CATBackboneServedApplications().empty() ? "no receiver" : "receiver running");
}

void Serve(CATClientScript& script, const std::string& arguments) {
  std::string rest = arguments;
  std::string seconds = CATClientText::Shift(rest);
  std::string stopFile = CATClientText::Trim(rest);
  int limit = 0;
  if (!CATClientText::ParseInt(seconds, 1, kMaxServeSeconds, limit) ||
      CATClientText::Words(stopFile).size() > 1) {
    script.Fail("usage: serve SECONDS [STOPFILE] (1 to " + std::to_string(kMaxServeSeconds) + " seconds)");
    return;
  }
  size_t before = CATGetBackboneJournal().size();
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limit);
  bool stopped = false;
  struct stat info;
  while (std::chrono::steady_clock::now() < deadline) {
    if (!stopFile.empty() && stat(stopFile.c_str(), &info) == 0) {
      stopped = true;
      // What reached the session before the stop file is still served.
      for (int rounds = 0; rounds < kMaxDrainRounds && CATDispatchInputs(0) > 0; ++rounds) {
      }
      script.Session().GetApplication()->ProcessDelayedDestructions();
      break;
    }
    script.Session().GetApplication()->RunFor(kStopFilePollMs);
  }
  size_t received = CATGetBackboneJournal().size() - before;
  script.Say("served " + std::to_string(received) + (received == 1 ? " message" : " messages") +
             (stopped ? ", stopped by " + CATClientText::Escaped(stopFile) : ", time limit reached"));
}

void Messages(CATClientScript& script, const std::string&) {
  std::vector<CATBackboneJournalEntry> journal = CATGetBackboneJournal();
  if (journal.empty()) script.Say("no messages");
  int number = 0;
  for (const CATBackboneJournalEntry& entry : journal) {
    std::string line = "  " + std::to_string(++number) + " " + CATClientText::Escaped(entry.application) +
                       " " + CATClientText::Escaped(entry.messageClass) + QuotedItems(entry.items);
    if (entry.answered)
      line += " answered" + QuotedItems(entry.answerItems);
    else if (!entry.answerWanted)
      line += " no answer wanted";
    if (!entry.error.empty()) line += " error " + CATClientText::Quoted(entry.error);
    script.Say(line);
  }
}

}  // namespace CATClientVerbs
