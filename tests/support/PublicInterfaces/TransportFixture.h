#ifndef TransportFixture_h
#define TransportFixture_h
// A clean environment for every transport test: no gateway variables, no proxy of the machine, private
// settings in a private temporary directory; the variables are restored after the test.
#include <gtest/gtest.h>

#include <list>
#include <string>

#include "ZELTestSupport.h"

namespace zeltest {

// The variables that choose the gateway, its time-outs, a proxy or the trusted authorities.
extern const char* const kTransportVariables[13];

class TransportTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  TempDir dir_{"zel-transport"};

 private:
  std::list<ScopedEnv> environment_;
};

// A reply document whose "Response" holds the given attributes.
std::string ReplyWith(const std::string& attributes, const std::string& more = "");
std::string Attribute(const std::string& name, const std::string& value);

}  // namespace zeltest

#endif
