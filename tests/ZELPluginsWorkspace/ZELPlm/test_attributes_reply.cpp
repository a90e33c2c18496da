// The "GetMetadata" reply as the attribute viewer reads it: the 20-column line layout, display names and
// their fallback, attributes at any depth of a group, the owning location, and the bounds that keep a hostile
// reply from building an unbounded window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ZELAttributesResponseXml.h"

namespace {

ZELAttributesResponseXml Reply(const std::string& response) {
  ZELAttributesResponseXml reply;
  EXPECT_EQ(S_OK, reply.ReadXmlString(CATUnicodeString(
                      ("<ZEL><Response id=\"1_1\">" + response + "</Response></ZEL>").c_str())));
  return reply;
}

std::vector<std::string> Lines(const ZELAttributeGroup& group) {
  std::vector<std::string> lines;
  for (int i = 1; i <= group.lines.Size(); ++i) lines.push_back(group.lines[i].ConvertToUTF8());
  return lines;
}

}  // namespace

TEST(AttributesReply, LabelsLineUpAtTwentyColumns) {
  EXPECT_EQ("Description:        \tRim",
            ZELAttributesResponseXml::LayoutLine("Description:", "Rim").ConvertToUTF8());
  // 19 characters and the colon fill the column: one blank instead of padding and tab.
  EXPECT_EQ("Nineteen characters: x",
            ZELAttributesResponseXml::LayoutLine("Nineteen characters:", "x").ConvertToUTF8());
  EXPECT_EQ("Longer than twenty columns: x",
            ZELAttributesResponseXml::LayoutLine("Longer than twenty columns:", "x").ConvertToUTF8());
  // One character short of the column: one blank of padding, then the tab.
  EXPECT_EQ("Eighteen character: \tx",
            ZELAttributesResponseXml::LayoutLine("Eighteen character:", "x").ConvertToUTF8());
  // Characters, not bytes, are counted; an empty label is padded too.
  EXPECT_EQ("Größe:              \t1", ZELAttributesResponseXml::LayoutLine("Größe:", "1").ConvertToUTF8());
  EXPECT_EQ(std::string(20, ' ') + "\tv", ZELAttributesResponseXml::LayoutLine("", "v").ConvertToUTF8());
  // A value with line breaks stays one line of the editor, so it cannot pass for further attributes.
  EXPECT_EQ("Note:               \ta b c d",
            ZELAttributesResponseXml::LayoutLine("Note:", "a\nb\r\nc\rd").ConvertToUTF8());
}

TEST(AttributesReply, GroupsTakeEveryAttributeBelowThemWithDisplayOrName) {
  ZELAttributesResponseXml reply = Reply(
      "<Attribute name=\"PartNumber\" value=\"p\"/>"
      "<Group name=\"General\">"
      "<Attribute name=\"item_id\" display=\"Item ID\" value=\"prd-1\"/>"
      "<Sub><Attribute name=\"deep_name_of_nineteen\" display=\"\" value=\"v\"/></Sub>"
      "<Attribute display=\"Only display\"/>"
      "</Group>"
      "<Other><Group name=\"not directly below Response\"/></Other>"
      "<Group/>");
  std::vector<ZELAttributeGroup> groups;
  ASSERT_EQ(S_OK, reply.GetResult(groups));
  ASSERT_EQ(2u, groups.size());
  EXPECT_EQ("General", groups[0].name.ConvertToUTF8());
  EXPECT_EQ((std::vector<std::string>{"Item ID:            \tprd-1", "deep_name_of_nineteen: v",
                                      "Only display:       \t"}),
            Lines(groups[0]));
  EXPECT_TRUE(groups[1].name.IsNull());
  EXPECT_TRUE(Lines(groups[1]).empty());

  // Groups are appended to what the caller holds; a reply without groups adds none and is no failure.
  ASSERT_EQ(S_OK, Reply("").GetResult(groups));
  EXPECT_EQ(2u, groups.size());
}

TEST(AttributesReply, OwnerOnlyFromTheOneLocWithAnOwner) {
  CATUnicodeString owner("stale");
  bool hasOwner = true;
  ASSERT_EQ(S_OK, Reply("<Loc OWNER=\"Munich\"/>").GetLocResult(owner, hasOwner));
  EXPECT_TRUE(hasOwner);
  EXPECT_EQ("Munich", owner.ConvertToUTF8());

  ASSERT_EQ(S_OK, Reply("<Loc/>").GetLocResult(owner, hasOwner));
  EXPECT_FALSE(hasOwner);
  EXPECT_TRUE(owner.IsNull());

  // An empty owner is still an owner the PDM named.
  ASSERT_EQ(S_OK, Reply("<Loc OWNER=\"\"/>").GetLocResult(owner, hasOwner));
  EXPECT_TRUE(hasOwner);

  // Two locations name no single owner; none names none.
  owner = "kept";
  ASSERT_EQ(S_OK, Reply("<Loc OWNER=\"A\"/><Loc OWNER=\"B\"/>").GetLocResult(owner, hasOwner));
  EXPECT_FALSE(hasOwner);
  ASSERT_EQ(S_OK, Reply("").GetLocResult(owner, hasOwner));
  EXPECT_FALSE(hasOwner);
  EXPECT_EQ("kept", owner.ConvertToUTF8());
}

TEST(AttributesReply, UnreadDocumentFails) {
  ZELAttributesResponseXml empty;
  std::vector<ZELAttributeGroup> groups;
  CATUnicodeString owner;
  bool hasOwner = true;
  EXPECT_EQ(E_FAIL, empty.GetResult(groups));
  EXPECT_EQ(E_FAIL, empty.GetLocResult(owner, hasOwner));
  EXPECT_FALSE(hasOwner);
  EXPECT_TRUE(groups.empty());
}

TEST(AttributesReply, HostileReplyIsBounded) {
  std::string manyGroups;
  for (int i = 0; i < ZELAttributesResponseXml::kMaxGroups + 5; ++i)
    manyGroups += "<Group name=\"g" + std::to_string(i) + "\"><Attribute name=\"a\" value=\"v\"/></Group>";
  std::vector<ZELAttributeGroup> groups;
  ASSERT_EQ(S_OK, Reply(manyGroups).GetResult(groups));
  ASSERT_EQ(static_cast<size_t>(ZELAttributesResponseXml::kMaxGroups), groups.size());
  EXPECT_EQ("g99", groups.back().name.ConvertToUTF8());

  std::string manyLines = "<Group name=\"big\">";
  for (int i = 0; i < ZELAttributesResponseXml::kMaxLinesPerGroup + 5; ++i)
    manyLines += "<Attribute name=\"a\" value=\"v\"/>";
  manyLines += "</Group>";
  groups.clear();
  ASSERT_EQ(S_OK, Reply(manyLines).GetResult(groups));
  ASSERT_EQ(1u, groups.size());
  EXPECT_EQ(ZELAttributesResponseXml::kMaxLinesPerGroup, groups[0].lines.Size());
}
