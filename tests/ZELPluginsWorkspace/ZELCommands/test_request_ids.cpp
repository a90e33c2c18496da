// Request ids: "<pid>_<n>" with n counting the request documents named in this process. Kept in its own
// executable with a single test so that nothing else in the process constructs a request first.
#include <gtest/gtest.h>

#include <string>

#include "CATLib.h"
#include "ZELCommandsTestAccess.h"

TEST(RequestIds, CountFromZeroAndOnlyNamedRequestsCount) {
  const std::string pid = std::to_string(CATGetProcessId());
  ASSERT_EQ(ZELTestAccess::RequestCount(), 0);
  ZELRequestXml emptyBefore;  // an empty holder does not count
  ZELRequestXml first("Test");
  ZELRequestXml emptyBetween;
  ZELRequestXml second("Login");
  EXPECT_EQ(first.GetRequestId().ConvertToUTF8(), pid + "_0");
  EXPECT_EQ(second.GetRequestId().ConvertToUTF8(), pid + "_1");
  EXPECT_TRUE(emptyBefore.GetRequestId().IsNull());
  EXPECT_TRUE(emptyBetween.GetRequestId().IsNull());
  EXPECT_EQ(ZELTestAccess::RequestCount(), 2);
  // A construction that fails before the id step does not count either.
  ZELRequestXml nullName(nullptr);
  ZELRequestXml badName("bell\x07");
  EXPECT_TRUE(nullName.GetDocument() == NULL_var);
  EXPECT_TRUE(badName.GetDocument() == NULL_var);
  ZELRequestXml third("Test");
  EXPECT_EQ(third.GetRequestId().ConvertToUTF8(), pid + "_2");
}
