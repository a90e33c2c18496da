// Paths and the current selection, the agents that read it, the navigator's remove-branch command, and
// commands created through their library's factory and started from headers.
#include "CATAfrCommandFactory.h"
#include "CATAfrStartCommand.h"
#include "CATCommandHeader.h"
#include "CATFrmLayout.h"
#include "CATFrmWindow.h"
#include "CATIBuildPath.h"
#include "CATINavigateObject.h"
#include "CATPLMNavPropertiesAcquisition.h"
#include "FrameTestSupport.h"

using frametest::FrameTest;

namespace {

// Leaf objects of every selected path, as instance names ("root" for a root occurrence).
std::vector<std::string> SelectedLeaves(CATCSO* cso) {
  std::vector<std::string> leaves;
  cso->InitElementList();
  while (CATBaseUnknown* element = cso->NextElement()) {
    CATPathElement_var path(element);
    CATIPLMNavOccurrence_var leaf((*path)[path->GetSize() - 1]);
    CATIPLMNavEntity_var instance;
    CATListValCATUnicodeString values;
    if (leaf == NULL_var || FAILED(leaf->GetInstance(instance)))
      leaves.push_back("root");
    else if (SUCCEEDED(instance->GetAttributeValues(CATListValCATUnicodeString{"PLM_ExternalID"}, values)))
      leaves.push_back(values[1].ConvertToUTF8());
  }
  return leaves;
}

// A command that never ends by itself, and tells when it is destroyed.
class LingeringCmd : public CATCommand {
 public:
  explicit LingeringCmd(int* destroyed) : CATCommand(nullptr, "LingeringCmd"), destroyed_(destroyed) {}
  ~LingeringCmd() override { ++*destroyed_; }
  CATStatusChangeRC Activate(CATCommand*, CATNotification*) override {
    ++activations;
    return CATStatusChangeRCCompleted;
  }
  int activations = 0;

 private:
  int* destroyed_;
};

}  // namespace

TEST_F(FrameTest, PathsHoldObjectsByIdentityFromRootToLeaf) {
  CATIPLMNavOccurrence_var root = Root(Open("prd-00012340"));
  CATPathElement* rim = PathTo(root, {"prd-00012341.1", "prd-00012343.1"});
  ASSERT_EQ(3, rim->GetSize());
  EXPECT_EQ(nullptr, (*rim)[3]);
  EXPECT_EQ(nullptr, (*rim)[-1]);
  // The same node through another interface is the same element.
  EXPECT_EQ(0, rim->Locate(CATINavigateObject_var(root)));
  std::vector<CATBaseUnknown*> up, down;
  rim->InitToLeafElement();
  while (CATBaseUnknown* object = rim->NextFatherElement()) up.push_back(object);
  rim->InitToTopElement();
  while (CATBaseUnknown* object = rim->NextChildElement()) down.push_back(object);
  ASSERT_EQ(3u, up.size());
  EXPECT_EQ(std::vector<CATBaseUnknown*>(up.rbegin(), up.rend()), down);

  CATPathElement copy(*rim);
  EXPECT_TRUE(copy.IsEqual(*rim));
  copy.AddFatherElement(root);
  EXPECT_FALSE(copy.IsEqual(*rim));
  copy = *rim;
  EXPECT_TRUE(copy.IsEqual(*rim));
  rim->Release();
}

TEST_F(FrameTest, TheSelectionKeepsEachPathOnceInOrder) {
  CATIPLMNavOccurrence_var root = Root(Open("prd-00012340"));
  CATCSO cso;
  CATPathElement* front = PathTo(root, {"prd-00012341.1"});
  CATPathElement* rear = PathTo(root, {"prd-00012342.1"});
  CATPathElement* frontAgain = PathTo(root, {"prd-00012341.1"});
  EXPECT_EQ(S_OK, cso.AddElement(front));
  EXPECT_EQ(S_OK, cso.AddElement(rear));
  EXPECT_EQ(S_FALSE, cso.AddElement(frontAgain));
  EXPECT_EQ(S_OK, cso.AddElement(root));  // an object alone is a path of one
  EXPECT_EQ(E_INVALIDARG, cso.AddElement(nullptr));
  CATPathElement* empty = new CATPathElement;
  EXPECT_EQ(E_INVALIDARG, cso.AddElement(empty));
  empty->Release();
  EXPECT_EQ(3, cso.Size());
  EXPECT_EQ(std::vector<std::string>({"prd-00012341.1", "prd-00012342.1", "root"}), SelectedLeaves(&cso));

  // Removing while walking goes on with what followed the removed path.
  cso.InitElementList();
  EXPECT_EQ(static_cast<CATBaseUnknown*>(front), cso.NextElement());
  EXPECT_EQ(S_OK, cso.RemoveElement(frontAgain));
  EXPECT_EQ(E_FAIL, cso.RemoveElement(frontAgain));
  EXPECT_EQ(static_cast<CATBaseUnknown*>(rear), cso.NextElement());
  cso.Empty();
  EXPECT_TRUE(cso.IsEmpty());
  EXPECT_EQ(nullptr, cso.NextElement());
  front->Release();
  rear->Release();
  frontAgain->Release();
}

TEST_F(FrameTest, AgentsReadTheCurrentEditorOrTheSearchEditor) {
  CATIPLMComponent_var bicycle = Open("prd-00012340");
  CATFrmWindow* window = nullptr;
  ASSERT_EQ(S_OK, frame_->GetLayout()->OpenWindow(bicycle, CATFrmNavigationEditor, &window));
  CATPathElementAgent* agent = new CATPathElementAgent("agent");
  CATPLMNavPropertiesAcquisition* search = new CATPLMNavPropertiesAcquisition("NavPropertiesAcquisition");
  EXPECT_EQ(window->GetEditor(), agent->GetEditor());
  EXPECT_EQ(frame_->GetSearchEditor(), search->GetEditor());
  EXPECT_EQ(CATFrmSearchEditor, search->GetEditor()->GetKind());

  EXPECT_EQ(nullptr, agent->GetValue());
  CATPathElement* wheel = PathTo(Root(bicycle), {"prd-00012341.1"});
  window->GetEditor()->GetCSO()->AddElement(wheel);
  EXPECT_EQ(wheel, agent->GetValue());
  EXPECT_EQ(nullptr, search->GetValue());
  window->GetEditor()->GetCSO()->AddElement(Root(bicycle));
  EXPECT_EQ(nullptr, agent->GetValue());
  wheel->Release();
  agent->Release();
  search->Release();
}

TEST_F(FrameTest, RemoveBranchTakesSelectedBranchesOutOfTheExplorerViewOnly) {
  CATIPLMComponent_var bicycle = Open("prd-00012340");
  CATFrmLayout* layout = frame_->GetLayout();
  CATFrmWindow *product = nullptr, *explorer = nullptr;
  ASSERT_EQ(S_OK, layout->OpenWindow(bicycle, CATFrmProductEditor, &product));
  ASSERT_EQ(S_OK, layout->OpenWindow(bicycle, CATFrmNavigationEditor, &explorer));
  CATFrmEditor* editor = explorer->GetEditor();
  CATIPLMNavOccurrence_var root = Root(bicycle);
  CATPathElement* rearRim = PathTo(root, {"prd-00012342.1", "prd-00012343.2"});
  CATPathElement* frame = PathTo(root, {"prd-00012347.1"});
  editor->GetCSO()->AddElement(rearRim);
  editor->GetCSO()->AddElement(frame);
  editor->GetCSO()->AddElement(root);  // the root itself stays

  ASSERT_EQ(S_OK, CATAfrStartCommand("CATImmRemoveBranchCmd"));
  EXPECT_TRUE(editor->GetCSO()->IsEmpty());
  CATListValCATIPLMNavOccurrence_var shown;
  ASSERT_EQ(S_OK, editor->ListChildrenInView(root, shown));
  EXPECT_EQ(3, shown.Size());  // front wheel, rear wheel, bell
  CATIPLMNavOccurrence_var rear = Child(root, "prd-00012342.1");
  shown.RemoveAll();
  editor->ListChildrenInView(rear, shown);
  EXPECT_EQ(2, shown.Size());
  EXPECT_TRUE(editor->IsRemoved(Child(Child(root, "prd-00012347.1"), "3ds-00012347.1")));
  EXPECT_FALSE(editor->IsRemoved(Child(Child(root, "prd-00012341.1"), "prd-00012343.1")));
  EXPECT_EQ(S_FALSE, editor->RemoveBranch(Child(root, "prd-00012347.1")));
  EXPECT_EQ(E_FAIL, editor->RemoveBranch(root));
  // Nothing changed in the product itself, nor in the other window.
  EXPECT_EQ(4, Children(root).Size());
  EXPECT_FALSE(product->GetEditor()->IsRemoved(Child(root, "prd-00012347.1")));
  app_->ProcessDelayedDestructions();
  EXPECT_EQ(0, frame_->CountRunningCommands());

  // In a 3D window the command leaves view and selection alone.
  layout->SetCurrentWindow(product);
  product->GetEditor()->GetCSO()->AddElement(frame);
  ASSERT_EQ(S_OK, CATAfrStartCommand("CATImmRemoveBranchCmd"));
  EXPECT_EQ(1, product->GetEditor()->GetCSO()->Size());
  EXPECT_FALSE(product->GetEditor()->IsRemoved(Child(root, "prd-00012347.1")));
  rearRim->Release();
  frame->Release();
}

TEST_F(FrameTest, CommandsComeFromLibraryFactoriesThroughHeaders) {
  CATAfrCommandCreator creator = nullptr;
  EXPECT_EQ(S_OK, CATAfrCommandFactory::FindCreator("CATImmRemoveBranchCmd", "CATAfrFoundation", creator));
  EXPECT_NE(nullptr, creator);
  EXPECT_EQ(E_INVALIDARG, CATAfrCommandFactory::FindCreator("Bad Name();", "CATAfrFoundation", creator));
  EXPECT_EQ(E_INVALIDARG, CATAfrCommandFactory::FindCreator("", "CATAfrFoundation", creator));
  EXPECT_EQ(E_FAIL, CATAfrCommandFactory::FindCreator("NoSuchCmd", "CATAfrFoundation", creator));
  EXPECT_EQ(E_FAIL, CATAfrCommandFactory::FindCreator("CATImmRemoveBranchCmd", "NoSuchLibrary", creator));
  EXPECT_EQ(E_FAIL,
            CATAfrCommandFactory::FindCreator("CATImmRemoveBranchCmd", "../lib/CATAfrFoundation", creator));
  EXPECT_EQ(nullptr, creator);

  CATCommandHeader* header = CreateCmdHdrArgs("MyHeader", "CATAfrFoundation", "CATImmRemoveBranchCmd",
                                              nullptr, "MyResource", "External", CATFrmUnavailable);
  ASSERT_NE(nullptr, header);
  EXPECT_EQ(header, GetCmdHdr("MyHeader"));
  EXPECT_EQ(header,
            CreateCmdHdrArgs("MyHeader", "Other", "Other", nullptr, "Other", "External", CATFrmAvailable));
  EXPECT_STREQ("CATImmRemoveBranchCmd", header->GetClassName());
  EXPECT_EQ(E_FAIL, CATAfrStartCommand("MyHeader"));  // unavailable
  header->BecomeAvailable();
  EXPECT_EQ(S_OK, CATAfrStartCommand("MyHeader"));
  EXPECT_EQ(E_FAIL, CATAfrStartCommand("NoSuchHeader"));
  CATCommandHeader* broken =
      CreateCmdHdrArgs("Broken", "CATAfrFoundation", "NoSuchCmd", nullptr, "", "External", CATFrmAvailable);
  EXPECT_EQ(E_FAIL, broken->StartCommand());

  // A command that never ends is destroyed with the frame.
  int destroyed = 0;
  LingeringCmd* lingering = new LingeringCmd(&destroyed);
  EXPECT_EQ(S_OK, frame_->StartCommand(lingering));
  EXPECT_EQ(1, lingering->activations);
  app_->ProcessDelayedDestructions();
  EXPECT_EQ(1, frame_->CountRunningCommands());
  delete frame_;
  EXPECT_EQ(1, destroyed);
  EXPECT_EQ(nullptr, GetCmdHdr("MyHeader"));
  EXPECT_EQ(nullptr, CreateCmdHdrArgs("MyHeader", "L", "C", nullptr, "R", "External", CATFrmAvailable));
}

TEST_F(FrameTest, OccurrencesBuildTheirPathsSoCommandsCanSelectThemForRemoval) {
  CATIPLMComponent_var bicycle = Open("prd-00012340");
  CATFrmWindow* explorer = nullptr;
  ASSERT_EQ(S_OK, frame_->GetLayout()->OpenWindow(bicycle, CATFrmNavigationEditor, &explorer));
  CATFrmEditor* editor = explorer->GetEditor();
  CATIPLMNavOccurrence_var root = Root(bicycle);
  CATIPLMNavOccurrence_var hub = Child(Child(root, "prd-00012341.1"), "prd-00012346.1");
  CATIPLMNavOccurrence_var bell = Child(root, "prd-00012399.1");

  // As a command does it: from the UI-active path, select the nodes, and remove their branches.
  CATPathElement active(editor->GetUIActiveObject());
  editor->GetCSO()->Empty();
  for (const CATIPLMNavOccurrence_var& node : {hub, bell}) {
    CATIBuildPath_var builder(node);
    ASSERT_NE(NULL_var, builder);
    EXPECT_EQ(CATIPLMNavOccurrence_var(builder).get(), node.get());  // the extension answers for the node
    CATPathElement* path = nullptr;
    ASSERT_EQ(S_OK, builder->ExtractPathElement(&active, &path));
    editor->GetCSO()->AddElement(path);
    path->Release();
  }
  CATPathElement* expected = PathTo(root, {"prd-00012341.1", "prd-00012346.1"});
  editor->GetCSO()->InitElementList();
  EXPECT_TRUE(CATPathElement_var(editor->GetCSO()->NextElement())->IsEqual(*expected));
  expected->Release();
  ASSERT_EQ(S_OK, CATAfrStartCommand("CATImmRemoveBranchCmd"));
  EXPECT_TRUE(editor->IsRemoved(hub));
  EXPECT_TRUE(editor->IsRemoved(bell));

  // Objects of a context above the tree's top come first; the root's path is itself alone.
  CATIBuildPath_var builder(root);
  CATPathElement context(bicycle);
  context.AddChildElement(root);
  CATPathElement* path = nullptr;
  ASSERT_EQ(S_OK, builder->ExtractPathElement(&context, &path));
  EXPECT_TRUE(path->IsEqual(context));
  path->Release();
  ASSERT_EQ(S_OK, builder->ExtractPathElement(nullptr, &path));
  EXPECT_TRUE(path->IsEqual(CATPathElement(root)));
  path->Release();
  EXPECT_EQ(E_INVALIDARG, builder->ExtractPathElement(nullptr, nullptr));
}
