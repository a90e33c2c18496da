// The product's transport and request document against the reference gateway: what one side writes the
// other reads, over real HTTP.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "HtmlRequest.h"
#include "TransportFixture.h"
#include "ZELRequestXml.h"
#include "zelgw/Gateway.h"
#include "zelgw/Server.h"
#include "zelgw/Store.h"

namespace {
// The transport fixture keeps proxies and gateway variables of the machine out of the exchange.
class TransportGatewayTest : public zeltest::TransportTest {
 protected:
  void StartGateway(const std::string& basePath) {
    store_ = std::make_unique<zelgw::Store>(":memory:");
    gateway_ = std::make_unique<zelgw::Gateway>(*store_);
    zelgw::ServerOptions options;
    options.basePath = basePath;
    options.threads = 2;
    server_ = std::make_unique<zelgw::GatewayServer>(*gateway_, options);
    server_->Start();
  }
  void UseUrl(const std::string& path) {
    const std::string url = "http://127.0.0.1:" + std::to_string(server_->Port()) + path;
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

TEST_F(TransportGatewayTest, ProbeEchoesAttributesListsAndTextInOrder) {
  StartGateway("/");
  UseUrl("");
  ZELRequestXml request("Test");
  ASSERT_EQ(request.AddRequestAttribute("ExecuteTest", "Mirror"), S_OK);
  ASSERT_EQ(request.AddRequestAttribute("Name", "Grüße <&> \"日本\""), S_OK);
  CATListValCATUnicodeString items{"a", "", "b"};
  ASSERT_EQ(request.AddRequestAttributeList("Items", items), S_OK);
  ZELRequestXml reply;
  ASSERT_EQ(HtmlRequest::DoRequest(request, reply), S_OK);

  EXPECT_EQ(reply.GetResponseId(), request.GetRequestId());
  unsigned char hasErrors = 0;
  EXPECT_EQ(reply.GetErrors(hasErrors, nullptr, nullptr), S_OK);
  EXPECT_EQ(hasErrors, 0);
  CATUnicodeString name;
  ASSERT_EQ(reply.GetResponseAttribute("Name", name), S_OK);
  EXPECT_EQ(name, "Grüße <&> \"日本\"");
  CATListValCATUnicodeString list;
  CATRawCollint flags;
  ASSERT_EQ(reply.GetResponseAttributeList("Items", list, &flags), S_OK);
  EXPECT_EQ(list, items);
  EXPECT_EQ(flags, (CATRawCollint{0, 0, 0}));
  CATIDOMNodeList_var attributes;
  ASSERT_EQ(reply.GetNodesForXPath("/ZEL/Response/Attribute/@name", attributes), S_OK);
  ASSERT_TRUE(attributes != NULL_var);
  unsigned int count = 0;
  attributes->GetLength(count);
  EXPECT_EQ(count, 3u);

  EXPECT_EQ(HtmlRequest::CheckServerConnection(), S_OK);
  server_->Stop();
  EXPECT_EQ(HtmlRequest::CheckServerConnection(), E_FAIL);
}

TEST_F(TransportGatewayTest, RefusalsArriveAsRootErrorsWithClientTexts) {
  StartGateway("/");
  UseUrl("/");
  ZELRequestXml request("NoSuchFunction");
  ZELRequestXml reply;
  ASSERT_EQ(HtmlRequest::DoRequest(request, reply), S_OK);  // the gateway answered; its verdict is inside
  unsigned char hasErrors = 0;
  CATRawCollint codes;
  CATListValCATUnicodeString texts;
  ASSERT_EQ(reply.GetErrorsNLS(hasErrors, codes, texts), S_OK);
  EXPECT_EQ(hasErrors, 1);
  ASSERT_EQ(codes.Size(), 1);
  EXPECT_EQ(codes[1], 107);
  EXPECT_NE(texts[1].SearchSubString("does not offer this function"), -1);
  CATUnicodeString value;
  EXPECT_EQ(reply.GetResponseAttribute("Anything", value), E_FAIL);
}

TEST_F(TransportGatewayTest, BasePathMustMatchTheUrlPath) {
  StartGateway("/pdm/");
  UseUrl("/pdm");
  EXPECT_EQ(HtmlRequest::CheckServerConnection(), S_OK);
  UseUrl("/other");  // a plain-text 404 page is no reply document
  EXPECT_EQ(HtmlRequest::CheckServerConnection(), E_FAIL);
}
