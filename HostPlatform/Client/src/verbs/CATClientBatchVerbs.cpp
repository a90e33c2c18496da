// The batch family: the PLM batches the session submitted, the coexistence mappings of the database, the
// documents the session opened through the desktop's opener, so a script can check what a batch did, and
// the interruption and resumption of a dialog command.
#include <unistd.h>

#include <sstream>

#include "CATBatClientMonitorCAA.h"
#include "CATClientDialogs.h"
#include "CATClientScript.h"
#include "CATClientText.h"
#include "CATClientVerbs.h"
#include "CATPLMCoexistence.h"
#include "CATShellExecute.h"

namespace {

// How long documents waits for the openers still running.
const int kOpenerWaitMs = 10000;

// The file name of a path, with this process's id (which names temporary files) written as PID.
std::string DocumentName(const std::string& path) {
  std::string name = path.substr(path.find_last_of('/') + 1);
  const std::string pid = "_" + std::to_string(getpid()) + "_";
  for (size_t at = name.find(pid); at != std::string::npos; at = name.find(pid, at + 5))
    name.replace(at, pid.size(), "_PID_");
  return name;
}

}  // namespace

namespace CATClientVerbs {

void Batches(CATClientScript& script, const std::string& arguments) {
  if (!CATClientText::Trim(arguments).empty()) {
    script.Fail("usage: batches");
    return;
  }
  const std::vector<CATBatchInfoCAA> batches =
      CATBatClientMonitorCAA::GetTheClientMonitorCAA()->ListBatches();
  if (batches.empty()) script.Say("no batches");
  for (const CATBatchInfoCAA& batch : batches)
    script.Say("  " + CATClientText::Escaped(batch.id) + " " + CATClientText::Escaped(batch.name) + " " +
               batch.state + " return code " + std::to_string(batch.returnCode) + " report " +
               CATClientText::Quoted(DocumentName(batch.report)));
}

void Mappings(CATClientScript& script, const std::string& arguments) {
  const std::vector<std::string> words = CATClientText::Words(arguments);
  if (words.size() > 1) {
    script.Fail("usage: mappings [EXTERNALID]");
    return;
  }
  std::vector<CATPLMCoexMapping> mappings;
  if (FAILED(CATPLMCoexistence::ListMappings(words.empty() ? std::string() : words[0], mappings))) {
    script.Fail("cannot read the coexistence mappings");
    return;
  }
  if (mappings.empty()) script.Say("no mappings");
  for (const CATPLMCoexMapping& mapping : mappings)
    script.Say("  " + CATClientText::Quoted(mapping.context) + " " +
               CATClientText::Escaped(mapping.externalId) + " " + CATClientText::Escaped(mapping.revision) +
               " " + CATClientText::Quoted(mapping.name) + " master " + mapping.master);
}

void Documents(CATClientScript& script, const std::string& arguments) {
  if (!CATClientText::Trim(arguments).empty()) {
    script.Fail("usage: documents");
    return;
  }
  const std::vector<CATShellOpenRecord> opened = CATShellCollectOpens(kOpenerWaitMs);
  if (opened.empty()) script.Say("no documents");
  int number = 0;
  for (const CATShellOpenRecord& record : opened) {
    script.Say("  " + std::to_string(++number) + " " + CATClientText::Quoted(DocumentName(record.document)) +
               " by " + CATClientText::Quoted(DocumentName(record.program)) +
               (record.exitCode >= 0 ? " exit " + std::to_string(record.exitCode) : std::string(" killed")));
    std::istringstream lines(record.output);
    for (std::string line; std::getline(lines, line);) script.Say("    " + CATClientText::Escaped(line));
  }
}

// The frame interrupts a running command when another one starts and resumes it after; these do it by hand
// for a command that is its own dialog.
void Desactivate(CATClientScript& script, const std::string& arguments) {
  const std::vector<std::string> words = CATClientText::Words(arguments);
  CATDlgDialog* dialog = words.size() == 1 ? CATClientDialogs::Find(words[0]) : nullptr;
  if (words.size() != 1)
    script.Fail("usage: desactivate DIALOG");
  else if (!dialog)
    script.Fail("no dialog " + CATClientText::Quoted(words[0]));
  else
    dialog->Desactivate(nullptr, nullptr);
}

void Reactivate(CATClientScript& script, const std::string& arguments) {
  const std::vector<std::string> words = CATClientText::Words(arguments);
  CATDlgDialog* dialog = words.size() == 1 ? CATClientDialogs::Find(words[0]) : nullptr;
  if (words.size() != 1)
    script.Fail("usage: reactivate DIALOG");
  else if (!dialog)
    script.Fail("no dialog " + CATClientText::Quoted(words[0]));
  else
    dialog->Activate(nullptr, nullptr);
}

}  // namespace CATClientVerbs
