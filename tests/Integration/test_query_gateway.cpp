// The PDM query from the client's side against the reference gateway over real HTTP: the settings lists the
// query command reads, and the result tree ZELPlm's query builds from the gateway's reply.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "HtmlRequest.h"
#include "TransportFixture.h"
#include "ZELPlmCommands.h"
#include "ZELQueryResult.h"
#include "ZELQueryResultItem.h"
#include "ZELRequestXml.h"
#include "zelgw/Gateway.h"
#include "zelgw/Server.h"
#include "zelgw/Store.h"
#include "zelgw/UserRepository.h"

namespace {

class QueryGatewayTest : public zeltest::TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    store_ = std::make_unique<zelgw::Store>(":memory:");
    ASSERT_TRUE(zelgw::UserRepository(*store_).Add({"ana", "Engineering", "Designer"}, "Grüße"));
    gateway_ = std::make_unique<zelgw::Gateway>(*store_);
    zelgw::ServerOptions options;
    options.threads = 2;
    server_ = std::make_unique<zelgw::GatewayServer>(*gateway_, options);
    server_->Start();
    const std::string url = "http://127.0.0.1:" + std::to_string(server_->Port());
    setenv("ZEL_SERVER_URL", url.c_str(), 1);
  }
  void TearDown() override {
    if (server_) server_->Stop();
    TransportTest::TearDown();
  }
  std::unique_ptr<zelgw::Store> store_;
  std::unique_ptr<zelgw::Gateway> gateway_;
  std::unique_ptr<zelgw::GatewayServer> server_;
};

}  // namespace

TEST_F(QueryGatewayTest, SettingsListsPairUpAsTheQueryDialogNeedsThem) {
  ZELRequestXml request("GetQueryItemSettings");
  ZELRequestXml reply;
  ASSERT_EQ(HtmlRequest::DoRequest(request, reply), S_OK);
  EXPECT_FALSE(ZELPlmCommands::CheckError(reply));
  CATListValCATUnicodeString types, names, labels;
  ASSERT_EQ(reply.GetResponseAttributeList("ItemTypeList", types, nullptr), S_OK);
  ASSERT_EQ(reply.GetResponseAttributeList("ItemAttributeNameList", names, nullptr), S_OK);
  ASSERT_EQ(reply.GetResponseAttributeList("ItemAttributeDisplayList", labels, nullptr), S_OK);
  EXPECT_EQ(types, (CATListValCATUnicodeString{"Item", "Part", "Document"}));
  ASSERT_EQ(names.Size(), labels.Size());
  ASSERT_GE(names.Size(), 2);
  EXPECT_EQ(names[2], "object_name");
  EXPECT_EQ(labels[2], "Name");
}

TEST_F(QueryGatewayTest, RunQueryBuildsTheResultFromTheGatewaysReply) {
  ZELQueryResult* result = nullptr;
  ASSERT_EQ(S_OK, ZELPlmCommands::RunQuery("ana", "Grüße", "", "", "en", "Part",
                                           CATListValCATUnicodeString{"object_name", "material"},
                                           CATListValCATUnicodeString{"*Wheel*", ""}, result));
  ASSERT_NE(result, nullptr);
  std::unique_ptr<ZELQueryResult> owned(result);
  ASSERT_EQ(owned->GetItemCount(), 4);
  const ZELQueryResultItem* first = owned->GetItem(0);
  EXPECT_EQ(first->GetName(), "ZEL-000120/A-Wheel");
  EXPECT_EQ(first->GetType(), "Part");
  EXPECT_FALSE(first->GetObid().IsNull());
  EXPECT_EQ(first->GetAttributeValue("object_desc"), "28 inch wheel, spoked");
  EXPECT_EQ(owned->GetDisplayName("object_string"), "Object");
  EXPECT_EQ(owned->GetDisplayName("object_desc"), "Description");
  EXPECT_EQ(owned->GetItem(3)->GetName(), "prd-00012342/A-Rear Wheel Assembly");

  // A wrong password is the gateway's refusal, which the query takes as a failure.
  ZELQueryResult* refused = nullptr;
  EXPECT_EQ(E_FAIL, ZELPlmCommands::RunQuery("ana", "wrong", "", "", "en", "Part", {}, {}, refused));
  EXPECT_EQ(refused, nullptr);
}
