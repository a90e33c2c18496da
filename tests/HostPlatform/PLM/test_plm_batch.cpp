// The PLM batch stand-in: the input file, the coexistence administration batch on the mappings table (run,
// preview, delete all, propagation), the end notification on the event loop, the failures on demand, hostile
// input files, and the desktop's document opener.
#include <sqlite3.h>
#include <sys/stat.h>

#include <fstream>
#include <set>

#include "CATBatClientMonitorCAA.h"
#include "CATEventSubscriber.h"
#include "CATPLMBatch.h"
#include "CATPLMCoexistence.h"
#include "CATShellExecute.h"
#include "PLMTestUtil.h"

namespace {

using plmtest::LastError;

CATListValCATUnicodeString List(std::initializer_list<const char*> texts) {
  CATListValCATUnicodeString values;
  for (const char* text : texts) values.Append(CATUnicodeString(text));
  return values;
}

// Counts the end notifications the publisher delivers and keeps the last identifier.
class EndCounter : public CATEventSubscriber {
 public:
  EndCounter() {
    AddCallback(this, GetBatchPublisherCAA(), CATBatchEndNotifCAA::ClassName(), &OnEnd, nullptr);
  }
  int ends = 0;
  std::string lastId;

 private:
  static void OnEnd(CATEventSubscriber* subscriber, CATBaseUnknown*, CATNotification* notification,
                    CATSubscriberData, CATCallback) {
    auto* self = static_cast<EndCounter*>(subscriber);
    ++self->ends;
    self->lastId = static_cast<CATBatchEndNotifCAA*>(notification)->GetBatchId();
  }
};

class PLMBatchTest : public plmtest::PLMTest {
 protected:
  // "context externalId master" of every mapping.
  static std::set<std::string> Mappings() {
    std::vector<CATPLMCoexMapping> mappings;
    EXPECT_EQ(S_OK, CATPLMCoexistence::ListMappings("", mappings));
    std::set<std::string> out;
    for (const CATPLMCoexMapping& m : mappings) out.insert(m.context + " " + m.externalId + " " + m.master);
    return out;
  }

  // Writes and submits a coexistence batch; the identifier, empty when the submission was refused.
  std::string Submit(const char* mode, std::initializer_list<const char*> mapping, const char* applyTo,
                     std::initializer_list<const char*> objects, const char* context = "COEXISTENCE") {
    CATPLMBatch batch("CoexistenceAdministration");
    EXPECT_EQ(S_OK, batch.SetApplicativeParameters("CoexAdmin_Context", List({context})));
    EXPECT_EQ(S_OK, batch.SetApplicativeParameters("CoexAdmin_Mapping", List(mapping)));
    EXPECT_EQ(S_OK, batch.SetApplicativeParameters("CoexAdmin_Propagate", List({"All"})));
    EXPECT_EQ(S_OK, batch.SetApplicativeParameters("CoexAdmin_ApplyTo", List({applyTo})));
    EXPECT_EQ(S_OK, batch.SetApplicativeParameters("CoexAdmin_Mode", List({mode})));
    CATListPtrCATIAdpPLMIdentificator ids;
    std::vector<CATIAdpPLMIdentificator_var> held;
    for (const char* object : objects) {
      held.push_back(Find(object));
      ids.Append(held.back());
    }
    EXPECT_EQ(S_OK, batch.SetSelectedObjects(ids));
    EXPECT_EQ(S_OK, batch.SetReportParameter("PLMBATCH_Report_Directory", dir_.c_str()));
    CATUnicodeString report;
    EXPECT_EQ(S_OK, batch.GetReportName(report));
    report_ = dir_ + "/" + report.ConvertToUTF8() + ".htm";
    input_ = dir_ + "/input.xml";
    EXPECT_EQ(S_OK, batch.FillXmlFile("", input_.c_str()));
    char id[CATBatchIdMaxLength + 1];
    if (FAILED(Monitor()->SubmitBatch(input_.c_str(), id, 0))) return std::string();
    return id;
  }
  static CATBatClientMonitorCAA* Monitor() { return CATBatClientMonitorCAA::GetTheClientMonitorCAA(); }
  int ReturnCode(const std::string& id) {
    int rc = -1;
    EXPECT_EQ(S_OK, Monitor()->GetBatchReturnCode(id.c_str(), rc));
    return rc;
  }
  std::string Report() { return zeltest::ReadFile(report_); }

  std::string report_, input_;
};

TEST_F(PLMBatchTest, RunChangesTheMappingsBelowTheSelectionAndPreviewChangesNothing) {
  const std::set<std::string> before = Mappings();
  ASSERT_TRUE(before.count("COEXISTENCE prd-00012341 V5"));
  std::string id = Submit("Preview", {"Ownership", "V6V5Master", "AllowRep"}, "Selection", {"prd-00012341"});
  ASSERT_FALSE(id.empty()) << LastError();
  EXPECT_EQ(0, ReturnCode(id));
  EXPECT_EQ(before, Mappings());
  EXPECT_NE(std::string::npos, Report().find("would transfer mastership V5 to V6")) << Report();

  id = Submit("Run", {"Ownership", "V6V5Master", "AllowRep"}, "Selection", {"prd-00012341"});
  EXPECT_EQ(0, ReturnCode(id));
  std::set<std::string> after = Mappings();
  // The wheel, its rim and the rim's shape below it; the rear wheel and the other context stay.
  for (const char* changed : {"prd-00012341", "prd-00012343", "3ds-00012343"}) {
    EXPECT_TRUE(after.count(std::string("COEXISTENCE ") + changed + " V6")) << changed;
    EXPECT_FALSE(after.count(std::string("COEXISTENCE ") + changed + " V5")) << changed;
  }
  EXPECT_TRUE(after.count("COEXISTENCE prd-00012342 V5"));
  EXPECT_TRUE(after.count("V5Plant prd-00012340 V5"));
  EXPECT_NE(std::string::npos, Report().find("transferred mastership V5 to V6"));
  EXPECT_NE(std::string::npos, Report().find("unchanged: no mapping in this context"));  // the tire, the hub

  id = Submit("Run", {"Ownership", "V5V6Master", "AllowRep"}, "Selection", {"prd-00012343"});
  after = Mappings();
  EXPECT_TRUE(after.count("COEXISTENCE prd-00012343 V5"));
  EXPECT_TRUE(after.count("COEXISTENCE prd-00012341 V6"));
}

TEST_F(PLMBatchTest, DeleteTakesTheSelectionOrEveryMappingOfOneContext) {
  std::string id = Submit("Run", {"Delete"}, "Selection", {"prd-00012343"});
  EXPECT_EQ(0, ReturnCode(id));
  std::set<std::string> after = Mappings();
  EXPECT_FALSE(after.count("COEXISTENCE prd-00012343 V5"));
  EXPECT_FALSE(after.count("COEXISTENCE 3ds-00012343 V5"));
  EXPECT_TRUE(after.count("COEXISTENCE prd-00012341 V5"));

  id = Submit("Preview", {"Delete"}, "All", {});
  EXPECT_EQ(after, Mappings());
  id = Submit("Run", {"Delete"}, "All", {}, "COEXISTENCE");
  EXPECT_EQ(0, ReturnCode(id));
  EXPECT_EQ((std::set<std::string>{"V5Plant prd-00012340 V5", "V5Plant prd-00012347 V5"}), Mappings());
  EXPECT_NE(std::string::npos, Report().find("4 mappings changed")) << Report();
}

TEST_F(PLMBatchTest, EndIsDeliveredOnTheEventLoopAndTheWaitIsBounded) {
  int done = 0;
  // Ends of the batches other tests left behind are delivered first.
  Monitor()->WaitForBatch(&done, 50, 0);
  EndCounter counter;
  std::string id = Submit("Preview", {"Delete"}, "All", {});
  EXPECT_EQ(0, counter.ends) << "delivered before the loop ran";
  EXPECT_EQ(E_FAIL, Monitor()->WaitForBatch(&done, 50, 0)) << "nothing sets the flag";
  EXPECT_EQ(1, counter.ends);
  EXPECT_EQ(id, counter.lastId);

  CATPLMFailureInjection::Set("BatchEnd", "lost");
  Submit("Preview", {"Delete"}, "All", {});
  EXPECT_EQ(E_FAIL, Monitor()->WaitForBatch(&done, 100, 0));
  EXPECT_EQ(1, counter.ends);
  done = 1;
  EXPECT_EQ(S_OK, Monitor()->WaitForBatch(&done, -1, 0));
  EXPECT_EQ(E_INVALIDARG, Monitor()->WaitForBatch(nullptr, 10, 0));
}

TEST_F(PLMBatchTest, FailuresOnDemandReachTheBatch) {
  const std::set<std::string> before = Mappings();
  CATPLMFailureInjection::Set("BatchSubmit", "server down");
  EXPECT_EQ("", Submit("Run", {"Delete"}, "All", {}));
  EXPECT_EQ("server down", LastError());
  CATPLMFailureInjection::Clear();

  CATPLMFailureInjection::Set("Batch", "table locked");
  std::string id = Submit("Run", {"Delete"}, "All", {});
  ASSERT_FALSE(id.empty());
  EXPECT_EQ(1, ReturnCode(id));
  EXPECT_EQ(before, Mappings());
  EXPECT_NE(std::string::npos, Report().find("Failed: table locked. Nothing was changed."));
  CATPLMFailureInjection::Clear();

  CATPLMFailureInjection::Set("BatchReturnCode", "");
  id = Submit("Run", {"Delete"}, "Selection", {"prd-00012340"});
  int rc = -7;
  EXPECT_EQ(E_FAIL, Monitor()->GetBatchReturnCode(id.c_str(), rc));
  EXPECT_EQ(-7, rc);
  EXPECT_EQ(S_OK, Monitor()->QueryBatch(id.c_str()));
  EXPECT_EQ(E_FAIL, Monitor()->QueryBatch("no-such-batch"));
}

TEST_F(PLMBatchTest, HostileInputFilesAreRefusedOrFailTheBatch) {
  const std::set<std::string> before = Mappings();
  char id[CATBatchIdMaxLength + 1];
  const std::string file = dir_ + "/hostile.xml";
  auto submit = [&](const std::string& content) {
    zeltest::WriteFile(file, content);
    return Monitor()->SubmitBatch(file.c_str(), id, 0);
  };
  EXPECT_EQ(E_FAIL, submit("<PLMBatch name=\"CoexistenceAdministration\""));
  EXPECT_EQ(E_FAIL, submit("<PLMBatch name=\"Other\" report=\"r\"/>"));
  EXPECT_EQ(E_FAIL, submit("<PLMBatch name=\"CoexistenceAdministration\" report=\"../escape\">"
                           "<ReportParameter name=\"PLMBATCH_Report_Directory\" value=\"" +
                           dir_ + "\"/></PLMBatch>"));
  EXPECT_EQ(E_FAIL, Monitor()->SubmitBatch((dir_ + "/missing.xml").c_str(), id, 0));
  {
    std::ofstream big(file, std::ios::binary | std::ios::trunc);
    big << "<PLMBatch name=\"CoexistenceAdministration\">" << std::string(17 * 1024 * 1024, ' ')
        << "</PLMBatch>";
  }
  EXPECT_EQ(E_FAIL, Monitor()->SubmitBatch(file.c_str(), id, 0));
  // Well-formed but wrong: the batch runs, fails and changes nothing.
  const std::string head =
      "<PLMBatch name=\"CoexistenceAdministration\" report=\"hostile\">"
      "<ReportParameter name=\"PLMBATCH_Report_Directory\" value=\"" +
      dir_ +
      "\"/><Parameter name=\"CoexAdmin_Context\"><Value>COEXISTENCE</Value></Parameter>"
      "<Parameter name=\"CoexAdmin_Propagate\"><Value>All</Value></Parameter>"
      "<Parameter name=\"CoexAdmin_Mode\"><Value>Run</Value></Parameter>"
      "<Parameter name=\"CoexAdmin_Mapping\"><Value>Delete</Value></Parameter>";
  ASSERT_EQ(S_OK, submit(head + "<Parameter name=\"CoexAdmin_ApplyTo\"><Value>Selection</Value></Parameter>"
                                "<Object id=\"-4\"/></PLMBatch>"));
  EXPECT_EQ(1, ReturnCode(id));
  ASSERT_EQ(S_OK, submit(head + "<Parameter name=\"CoexAdmin_ApplyTo\"><Value>Selection</Value></Parameter>"
                                "<Object id=\"999999\"/></PLMBatch>"));
  EXPECT_EQ(1, ReturnCode(id));
  ASSERT_EQ(S_OK, submit(head + "<Parameter name=\"CoexAdmin_ApplyTo\"><Value>Everything</Value>"
                                "</Parameter></PLMBatch>"));
  EXPECT_EQ(1, ReturnCode(id));
  EXPECT_NE(std::string::npos, zeltest::ReadFile(dir_ + "/hostile.htm").find("invalid parameter"));
  EXPECT_EQ(before, Mappings());

  CATPLMBatch batch("CoexistenceAdministration");
  EXPECT_EQ(E_FAIL, batch.SetApplicativeParameters("CoexAdmin_Context", List({"bad\x01name"})));
  EXPECT_EQ(E_FAIL, batch.SetApplicativeParameters("", List({"x"})));
  EXPECT_EQ(E_FAIL, batch.FillXmlFile("options", (dir_ + "/x.xml").c_str()));
}

TEST_F(PLMBatchTest, ReportTextIsEscaped) {
  sqlite3* db = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(database_.c_str(), &db));
  ASSERT_EQ(SQLITE_OK, sqlite3_exec(db,
                                    "UPDATE attributes SET value = '<script>x</script>' WHERE name = 'name' "
                                    "AND component IN (SELECT component FROM coex_mappings)",
                                    nullptr, nullptr, nullptr));
  sqlite3_close(db);
  Submit("Preview", {"Delete"}, "All", {});
  EXPECT_EQ(std::string::npos, Report().find("<script>"));
  EXPECT_NE(std::string::npos, Report().find("&lt;script&gt;"));
}

TEST(ShellExecute, StartsTheOpenerWithoutAShellAndJournalsItsOutput) {
  zeltest::TempDir dir("zel-opener");
  const std::string document = (dir.Path() / "report; echo injected.htm").string();
  zeltest::WriteFile(document, "<html>report</html>\n");
  zeltest::ScopedEnv opener("CATDocumentOpener", "cat");
  const size_t before = CATShellCollectOpens(0).size();
  EXPECT_GT(ShellExecuteA(nullptr, "open", document.c_str(), nullptr, nullptr, 1), 32);
  EXPECT_EQ(2, ShellExecuteA(nullptr, "open", (dir.Path() / "missing.htm").c_str(), nullptr, nullptr, 1));
  std::vector<CATShellOpenRecord> opened = CATShellCollectOpens(10000);
  ASSERT_EQ(before + 1, opened.size());
  EXPECT_EQ("<html>report</html>\n", opened.back().output);
  EXPECT_EQ(0, opened.back().exitCode);
  EXPECT_EQ(document, opened.back().document);

  zeltest::ScopedEnv missing("CATDocumentOpener", "/nonexistent/opener");
  EXPECT_EQ(31, ShellExecuteA(nullptr, "open", document.c_str(), nullptr, nullptr, 1));
}

TEST(ShellExecute, AnOpenerThatDoesNotEndIsKilledAtTheBound) {
  zeltest::TempDir dir("zel-opener");
  // cat waits for a writer of the pipe for ever.
  const std::string document = (dir.Path() / "doc.htm").string();
  ASSERT_EQ(0, mkfifo(document.c_str(), 0600));
  zeltest::ScopedEnv opener("CATDocumentOpener", "cat");
  ASSERT_GT(ShellExecuteA(nullptr, "open", document.c_str(), nullptr, nullptr, 1), 32);
  std::vector<CATShellOpenRecord> opened = CATShellCollectOpens(200);
  ASSERT_FALSE(opened.empty());
  EXPECT_TRUE(opened.back().ended);
  EXPECT_EQ(-1, opened.back().exitCode);
}

}  // namespace
