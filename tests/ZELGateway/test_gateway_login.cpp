// "Login": the credentials a client sends (the password as hexadecimal of its UTF-8 bytes) checked against
// the store's users; every way of being refused, and a refusal that never tells which user names exist.
#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "GatewayTestUtil.h"
#include "zelgw/Gateway.h"
#include "zelgw/Store.h"
#include "zelgw/UserRepository.h"

using namespace gwtest;

namespace {

// The client's encoding: "%x" per byte.
std::string Hex(const std::string& password) {
  std::string hex;
  for (unsigned char byte : password) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%x", static_cast<unsigned>(byte));
    hex += digits;
  }
  return hex;
}

class GatewayLogin : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    store_ = new zelgw::Store(":memory:");
    zelgw::UserRepository users(*store_);
    ASSERT_TRUE(users.Add({"ana", "Engineering", "Designer"}, "s3cret Ä"));
    gateway_ = new zelgw::Gateway(*store_);
  }
  static void TearDownTestSuite() {
    delete gateway_;
    delete store_;
  }

  static ReadReply Login(const std::string& user, const std::string& passwordHex,
                         const std::string& group = "", const std::string& role = "") {
    zelgw::GatewayResult result = gateway_->HandleRequestBody(RequestBody("Login", "7_1",
                                                                          {{"UserID", user},
                                                                           {"Password", passwordHex},
                                                                           {"Group", group},
                                                                           {"Role", role},
                                                                           {"LoginLocale", "en"}}));
    return ParseReply(result.body);
  }

  static std::vector<int> Codes(const ReadReply& reply) {
    std::vector<int> codes;
    for (const CodedText& error : reply.errors) codes.push_back(error.code);
    return codes;
  }

  static zelgw::Store* store_;
  static zelgw::Gateway* gateway_;
};

zelgw::Store* GatewayLogin::store_ = nullptr;
zelgw::Gateway* GatewayLogin::gateway_ = nullptr;

}  // namespace

TEST_F(GatewayLogin, AcceptsTheUserWithOwnOrEmptyGroupAndRole) {
  ReadReply named = Login("ana", Hex("s3cret Ä"), "Engineering", "Designer");
  ASSERT_TRUE(named.hasResponse);
  EXPECT_TRUE(named.errors.empty());
  EXPECT_EQ((Attributes{{"Group", "Engineering"}, {"Role", "Designer"}}), named.attributes);
  // Upper-case digits are the same bytes.
  ReadReply empty = Login("ana", "73336372657420C384");
  EXPECT_TRUE(empty.errors.empty()) << empty.errors.front().text;
}

TEST_F(GatewayLogin, WrongGroupOrRoleIsRefusedOnlyAfterThePassword) {
  EXPECT_EQ(std::vector<int>{1403}, Codes(Login("ana", Hex("s3cret Ä"), "Sales", "Designer")));
  EXPECT_EQ(std::vector<int>{1404}, Codes(Login("ana", Hex("s3cret Ä"), "Engineering", "DBA")));
  // With a wrong password the group says nothing about the user.
  EXPECT_EQ(std::vector<int>{1402}, Codes(Login("ana", Hex("wrong"), "Sales", "DBA")));
}

TEST_F(GatewayLogin, UnknownUserWrongAndMalformedPasswordsLookTheSame) {
  const ReadReply wrong = Login("ana", Hex("s3cret"));
  ASSERT_EQ(1u, wrong.errors.size());
  EXPECT_EQ(1402, wrong.errors[0].code);
  for (const ReadReply& other : {Login("nobody", Hex("s3cret Ä")), Login("ana", "7"), Login("ana", "7g"),
                                 Login("ana", std::string(4096, 'a')), Login(std::string(200, 'a'), "61")}) {
    ASSERT_EQ(1u, other.errors.size());
    EXPECT_EQ(wrong.errors[0].code, other.errors[0].code);
    EXPECT_EQ(wrong.errors[0].text, other.errors[0].text);
  }
  // A byte below 0x10 travels as one digit and so can never line up with a stored password.
  EXPECT_EQ(std::vector<int>{1402}, Codes(Login("ana", Hex("s3cret\tÄ"))));
}

TEST_F(GatewayLogin, UserNameIsRequired) {
  EXPECT_EQ(std::vector<int>{1401}, Codes(Login("", Hex("s3cret Ä"))));
  EXPECT_EQ(std::vector<int>{1401}, Codes(Login("  ", Hex("s3cret Ä"))));
}

TEST_F(GatewayLogin, StoreRefusesPasswordsTheWireCannotCarry) {
  zelgw::UserRepository users(*store_);
  EXPECT_THROW(users.Add({"bea", "", ""}, std::string("ab\x0f", 3)), std::invalid_argument);
  EXPECT_THROW(users.SetPassword("ana", std::string("\0x", 2)), std::invalid_argument);
  EXPECT_FALSE(users.Find("bea").has_value());
}
