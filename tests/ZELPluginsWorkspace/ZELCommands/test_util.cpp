// The selection utilities against a real frame over a private demo database: the selected component of a
// window or of the search, the fall back to a single root, related entities and names, the kind of the
// current window, type tests and the printed type tree.
#include "CATCkeObjectAttrReadServices.h"
#include "CATFrmLayout.h"
#include "CATFrmWindow.h"
#include "CATICkeObject.h"
#include "FrameTestSupport.h"
#include "ZELCommandsTestAccess.h"
#include "ZELUtil.h"

namespace {

std::string ExternalId(CATBaseUnknown* object) {
  CATUnicodeString value;
  if (!object || FAILED(CATCkeObjectAttrReadServices::ShowAttributeValue(CATICkeObject_var(object),
                                                                         "PLM_ExternalID", value)))
    return "<none>";
  return value.ConvertToUTF8();
}

std::string Joined(const CATListValCATUnicodeString& names) {
  std::string joined;
  for (const CATUnicodeString& name : names) joined += (joined.empty() ? "" : "|") + name.ConvertToUTF8();
  return joined;
}

class UtilTest : public frametest::FrameTest {
 protected:
  void TearDown() override {
    ZELTestAccess::ResetTrace(nullptr);
    FrameTest::TearDown();
  }
  CATFrmWindow* OpenWindow(const char* externalId, CATFrmEditorKind kind) {
    CATFrmWindow* window = nullptr;
    EXPECT_EQ(S_OK, frame_->GetLayout()->OpenWindow(Open(externalId), kind, &window));
    return window;
  }
  // Selects, in the editor, the node reached from the first root through the named instances.
  void Select(CATFrmEditor* editor, std::vector<const char*> instances) {
    CATListValCATIPLMNavOccurrence_var roots;
    ASSERT_EQ(S_OK, editor->ListRootOccurrences(roots));
    CATPathElement* path = PathTo(roots[1], instances);
    editor->GetCSO()->AddElement(path);
    path->Release();
  }
};

}  // namespace

TEST_F(UtilTest, AMultipleSelectionGivesOneAndNoComponentEvenWithFallBack) {
  CATFrmWindow* window = OpenWindow("prd-00012340", CATFrmProductEditor);
  Select(window->GetEditor(), {"prd-00012341.1"});
  Select(window->GetEditor(), {"prd-00012342.1"});
  for (unsigned char fallBack : {0, 1}) {
    CATIPLMComponent_var component = Open("prd-00012347");
    EXPECT_EQ(1, ZELUtil::GetSelectedComponent(component, nullptr, nullptr, fallBack)) << int(fallBack);
    EXPECT_EQ(NULL_var, component);
  }
  // The same in the search workbench.
  frame_->SetCurrentWorkbench("CATImmSearch");
  frame_->GetSearchEditor()->AddRootComponent(Open("prd-00012341"));
  frame_->GetSearchEditor()->AddRootComponent(Open("prd-00012342"));
  Select(frame_->GetSearchEditor(), {});
  frame_->GetSearchEditor()->GetCSO()->AddElement(Root(Open("prd-00012342")));
  CATIPLMComponent_var component;
  EXPECT_EQ(1, ZELUtil::GetSelectedComponent(component, nullptr, nullptr, 1));
  EXPECT_EQ(NULL_var, component);
}

TEST_F(UtilTest, TheSelectedOccurrenceGivesItsReferenceRelatedEntityAndNames) {
  CATFrmWindow* window = OpenWindow("prd-00012340", CATFrmNavigationEditor);
  Select(window->GetEditor(), {"prd-00012341.1", "prd-00012343.1"});
  CATIPLMComponent_var component, related;
  CATUnicodeString text;
  CATListValCATUnicodeString names;
  ASSERT_EQ(S_OK, ZELUtil::GetSelectedComponent(component, &related, &text, 0, &names));
  EXPECT_EQ("prd-00012343", ExternalId(component));
  EXPECT_EQ(NULL_var, CATIPLMNavOccurrence_var(component));  // the reference, not the occurrence
  EXPECT_EQ(CATUnicodeString("prd-00012343.1"), text);
  EXPECT_EQ("prd-00012341", ExternalId(related));  // the instance is stored with the front wheel
  EXPECT_EQ("Rim 622x19|A.3|(prd-00012343.1)", Joined(names));

  // Without the text output, the related entity is not looked for.
  CATIPLMComponent_var untouched;
  ASSERT_EQ(S_OK, ZELUtil::GetSelectedComponent(component, &untouched, nullptr, 0, nullptr));
  EXPECT_EQ(NULL_var, untouched);

  // The root has no instance: the component comes alone.
  window->GetEditor()->GetCSO()->Empty();
  Select(window->GetEditor(), {});
  text = "unchanged";
  ASSERT_EQ(S_OK, ZELUtil::GetSelectedComponent(component, &related, &text, 0, nullptr));
  EXPECT_EQ("prd-00012340", ExternalId(component));
  EXPECT_EQ(CATUnicodeString("unchanged"), text);
}

TEST_F(UtilTest, WithoutSelectionTheFallBackGivesTheSingleRootOfTheWindow) {
  CATIPLMComponent_var component;
  CATListValCATUnicodeString names;
  EXPECT_EQ(E_FAIL, ZELUtil::GetSelectedComponent(component, nullptr, nullptr, 0, &names));  // no window
  CATFrmWindow* product = OpenWindow("prd-00012340", CATFrmProductEditor);
  EXPECT_EQ(E_FAIL, ZELUtil::GetSelectedComponent(component, nullptr, nullptr, 0, &names));
  ASSERT_EQ(S_OK, ZELUtil::GetSelectedComponent(component, nullptr, nullptr, 1, &names));
  EXPECT_EQ("prd-00012340", ExternalId(component));
  EXPECT_EQ("City Bicycle", Joined(names));  // a reference has an alias, no navigable object

  OpenWindow("prd-00012340", CATFrmNavigationEditor);
  names.RemoveAll();
  ASSERT_EQ(S_OK, ZELUtil::GetSelectedComponent(component, nullptr, nullptr, 1, &names));
  EXPECT_EQ("City Bicycle|A.2", Joined(names));
  (void)product;
}

TEST_F(UtilTest, TheSearchWorkbenchReadsTheSearchEditor) {
  CATFrmEditor* search = frame_->GetSearchEditor();
  CATIPLMComponent_var component;
  CATListValCATUnicodeString names;
  // Without a window the home is the search; nothing found, nothing selected.
  EXPECT_EQ(E_FAIL, ZELUtil::GetSelectedComponent(component, nullptr, nullptr, 1, &names));
  search->AddRootComponent(Open("prd-00012342"));
  ASSERT_EQ(S_OK, ZELUtil::GetSelectedComponent(component, nullptr, nullptr, 1, &names));
  EXPECT_EQ("prd-00012342", ExternalId(component));
  EXPECT_EQ("Rear Wheel Assembly|A.1", Joined(names));
  EXPECT_EQ(E_FAIL, ZELUtil::GetSelectedComponent(component, nullptr, nullptr, 0, nullptr));

  // A window is open, but the user works in the search workbench: the search's selection counts.
  CATFrmWindow* window = OpenWindow("prd-00012340", CATFrmProductEditor);
  Select(window->GetEditor(), {"prd-00012347.1"});
  frame_->SetCurrentWorkbench("CATImmSearch");
  search->AddRootComponent(Open("prd-00012341"));
  EXPECT_EQ(E_FAIL, ZELUtil::GetSelectedComponent(component, nullptr, nullptr, 1, nullptr));  // two roots
  Select(search, {});
  names.RemoveAll();
  ASSERT_EQ(S_OK, ZELUtil::GetSelectedComponent(component, nullptr, nullptr, 0, &names));
  EXPECT_EQ("prd-00012342", ExternalId(component));
  EXPECT_EQ("Rear Wheel Assembly|A.1", Joined(names));
  frame_->SetCurrentWorkbench("PRDWorkbench");
  ASSERT_EQ(S_OK, ZELUtil::GetSelectedComponent(component, nullptr, nullptr, 0, nullptr));
  EXPECT_EQ("prd-00012347", ExternalId(component));
}

TEST_F(UtilTest, AWindowOfTwoRootsHasNoFallBackAndSaysWhy) {
  CATFrmWindow* window = OpenWindow("prd-00012341", CATFrmProductEditor);
  ASSERT_EQ(S_OK, window->GetEditor()->AddRootComponent(Open("prd-00012342")));
  ZELTestAccess::ResetTrace("ON");
  CATIPLMComponent_var component;
  testing::internal::CaptureStdout();
  long rc = ZELUtil::GetSelectedComponent(component, nullptr, nullptr, 1);
  std::string trace = testing::internal::GetCapturedStdout();
  EXPECT_EQ(E_FAIL, rc);
  EXPECT_EQ(NULL_var, component);
  EXPECT_NE(std::string::npos, trace.find("ZELDBX Function: ZELUtil::GetRootComponent ("));
  EXPECT_NE(std::string::npos, trace.find("): Current Window uses 2 root components\n"));
  EXPECT_NE(std::string::npos, trace.find(" ZEL: ZELUtil::GetSelectedComponent("));
  EXPECT_NE(std::string::npos, trace.find("ZELDBX Function: ZELUtil::GetSelectedComponent ("));
}

TEST_F(UtilTest, OnlyAWindowOfNavigableRootsIsAnExplorerWindow) {
  EXPECT_FALSE(ZELUtil::IsExplorerWindowActive());
  CATFrmWindow* product = OpenWindow("prd-00012340", CATFrmProductEditor);
  EXPECT_FALSE(ZELUtil::IsExplorerWindowActive());
  CATFrmWindow* explorer = OpenWindow("prd-00012340", CATFrmNavigationEditor);
  EXPECT_TRUE(ZELUtil::IsExplorerWindowActive());
  frame_->GetLayout()->SetCurrentWindow(product);
  EXPECT_FALSE(ZELUtil::IsExplorerWindowActive());
  frame_->GetLayout()->SetCurrentWindow(explorer);
  explorer->GetEditor()->RemoveAllRoots();
  EXPECT_FALSE(ZELUtil::IsExplorerWindowActive());
}

TEST(UtilTypes, SubTypesByNameAndUnknownNamesLeaveTheFlag) {
  unsigned char flag = 7;
  EXPECT_EQ(S_OK, ZELUtil::IsSubType("VPMReference", "VPMReference", flag));
  EXPECT_EQ(1, flag);
  EXPECT_EQ(S_OK, ZELUtil::IsSubType("PLMCoreReference", "PRDPart", flag));
  EXPECT_EQ(1, flag);
  EXPECT_EQ(S_OK, ZELUtil::IsSubType("PRDPart", "VPMReference", flag));
  EXPECT_EQ(0, flag);
  EXPECT_EQ(S_OK, ZELUtil::IsSubType("Workspace", "ENOFLD_FolderRootReference", flag));
  EXPECT_EQ(0, flag);
  flag = 7;
  EXPECT_EQ(E_FAIL, ZELUtil::IsSubType("VPMReference", "NoSuchType", flag));
  EXPECT_EQ(E_FAIL, ZELUtil::IsSubType("NoSuchType", "VPMReference", flag));
  EXPECT_EQ(E_FAIL, ZELUtil::IsSubType("vpmreference", "VPMReference", flag));
  EXPECT_EQ(7, flag);
}

TEST(UtilTypes, TheTypeTreeIsPrintedFromTheTopWithDepthMarks) {
  testing::internal::CaptureStdout();
  ZELUtil::PrintTypeHirarchy();
  EXPECT_EQ(
      "(1)+ <PLMEntity>  (PLM Entity)\n"
      "(2)+   <PLMCoreReference>  (Core Reference)\n"
      "(3)+     <VPMReference>  (Physical Product)\n"
      "(4)        <PRDAssembly>  (Assembly)\n"
      "(4)        <PRDPart>  (Part)\n"
      "(3)-     <VPMReference>  (Physical Product)\n"
      "(3)      <Workspace>  (Bookmark)\n"
      "(3)      <ENOFLD_FolderRootReference>  (Folder)\n"
      "(2)-   <PLMCoreReference>  (Core Reference)\n"
      "(2)+   <PLMCoreInstance>  (Core Instance)\n"
      "(3)      <VPMInstance>  (Physical Product Instance)\n"
      "(2)-   <PLMCoreInstance>  (Core Instance)\n"
      "(2)+   <PLMCoreRepReference>  (Core Representation Reference)\n"
      "(3)+     <VPMRepReference>  (Physical Product Representation)\n"
      "(4)        <3DShape>  (3D Shape)\n"
      "(4)        <Drawing>  (Drawing)\n"
      "(3)-     <VPMRepReference>  (Physical Product Representation)\n"
      "(2)-   <PLMCoreRepReference>  (Core Representation Reference)\n"
      "(2)+   <PLMCoreRepInstance>  (Core Representation Instance)\n"
      "(3)      <VPMRepInstance>  (Representation Instance)\n"
      "(2)-   <PLMCoreRepInstance>  (Core Representation Instance)\n"
      "(1)- <PLMEntity>  (PLM Entity)\n",
      testing::internal::GetCapturedStdout());
}
