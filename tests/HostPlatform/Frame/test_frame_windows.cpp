// The frame, its layout and windows: opening, activation and closing with their notifications, the
// workbench kept per window, editors outliving their windows, and the open services putting components
// into windows.
#include "CATDlgDialog.h"
#include "CATFrmLayout.h"
#include "CATFrmWindow.h"
#include "CATINavigateObject.h"
#include "CATInstantiateComponent.h"
#include "CATPLMComponentInterfacesServices.h"
#include "CATPLMOpenServicesFactory.h"
#include "FrameTestSupport.h"

using frametest::FrameTest;
using zeltest::Recorder;

TEST_F(FrameTest, OneFrameWithItsWindowsAndTheHomeWorkbench) {
  EXPECT_EQ(frame_, CATApplicationFrame::GetFrame());
  EXPECT_EQ(frame_->GetLayout(), CATFrmLayout::GetCurrentLayout());
  ASSERT_NE(nullptr, frame_->GetMainWindow());
  ASSERT_NE(nullptr, frame_->GetApplicationDocument());
  EXPECT_NE(static_cast<CATDialog*>(frame_->GetMainWindow()), frame_->GetApplicationDocument());
  EXPECT_EQ(static_cast<CATCommand*>(app_), frame_->GetFather());
  EXPECT_STREQ("3DEXPERIENCEPlatform", frame_->GetCurrentWorkbench());
  EXPECT_EQ(nullptr, CATFrmEditor::GetCurrentEditor());

  // A second frame does not replace the first.
  CATApplicationFrame* second = new CATApplicationFrame();
  EXPECT_EQ(frame_, CATApplicationFrame::GetFrame());
  delete second;
  EXPECT_EQ(frame_, CATApplicationFrame::GetFrame());
  delete frame_;
  EXPECT_EQ(nullptr, CATApplicationFrame::GetFrame());
  EXPECT_EQ(nullptr, CATFrmLayout::GetCurrentLayout());
}

TEST_F(FrameTest, WindowsAreActivatedAndClosedWithNotificationsFromTheLayout) {
  CATFrmLayout* layout = frame_->GetLayout();
  Recorder recorder;
  for (CATNotification* kind : {CATFrmWindow::WINDOW_ACTIVATED(), CATFrmWindow::WINDOW_DEACTIVATED(),
                                CATFrmWindow::WINDOW_DELETED(), CATFrmWindow::WINDOW_RESTORED()})
    recorder.Watch(layout, kind);

  CATFrmWindow *product = nullptr, *explorer = nullptr, *wheel = nullptr;
  ASSERT_EQ(S_OK, layout->OpenWindow(Open("prd-00012340"), CATFrmProductEditor, &product));
  ASSERT_EQ(S_OK, layout->OpenWindow(Open("prd-00012340"), CATFrmNavigationEditor, &explorer));
  ASSERT_EQ(S_OK, layout->OpenWindow(Open("prd-00012341"), CATFrmProductEditor, &wheel));
  EXPECT_EQ(3, layout->GetWindowCount());
  EXPECT_EQ(wheel, layout->GetCurrentWindow());
  EXPECT_EQ(wheel->GetEditor(), CATFrmEditor::GetCurrentEditor());
  EXPECT_EQ(CATUnicodeString("City Bicycle"), product->GetBaseName());
  EXPECT_EQ(CATUnicodeString("Front Wheel Assembly"), wheel->GetBaseName());
  EXPECT_EQ(std::vector<std::string>(
                {"Layout CATFrmWindow::WINDOW_ACTIVATED", "Layout CATFrmWindow::WINDOW_DEACTIVATED",
                 "Layout CATFrmWindow::WINDOW_ACTIVATED", "Layout CATFrmWindow::WINDOW_DEACTIVATED",
                 "Layout CATFrmWindow::WINDOW_ACTIVATED"}),
            recorder.events);

  // The workbench belongs to the window the user works in.
  EXPECT_STREQ("PRDWorkbench", frame_->GetCurrentWorkbench());
  EXPECT_EQ(S_OK, layout->SetCurrentWindow(explorer));
  EXPECT_STREQ("CATImmNav", frame_->GetCurrentWorkbench());
  EXPECT_STREQ("ImmNavWorkshop", frame_->GetCurrentWorkshop());
  frame_->SetCurrentWorkbench("CATImmSearch");
  EXPECT_EQ(S_OK, layout->SetCurrentWindow(product));
  EXPECT_STREQ("PRDWorkbench", frame_->GetCurrentWorkbench());
  EXPECT_EQ(S_OK, layout->SetCurrentWindow(explorer));
  EXPECT_STREQ("CATImmSearch", frame_->GetCurrentWorkbench());
  EXPECT_EQ(S_FALSE, layout->SetCurrentWindow(explorer));

  // Closing the current window hands over to the window active before it; the closed one goes at the
  // next turn of the loop while its editor stays, empty.
  recorder.events.clear();
  CATFrmEditor* closedEditor = explorer->GetEditor();
  std::weak_ptr<const int> explorerAlive = explorer->LifeToken();
  EXPECT_EQ(S_OK, layout->CloseWindow(explorer));
  EXPECT_EQ(E_FAIL, layout->CloseWindow(explorer));
  EXPECT_EQ(product, layout->GetCurrentWindow());
  EXPECT_EQ(std::vector<std::string>(
                {"Layout CATFrmWindow::WINDOW_DELETED", "Layout CATFrmWindow::WINDOW_ACTIVATED"}),
            recorder.events);
  EXPECT_FALSE(explorerAlive.expired());
  app_->ProcessDelayedDestructions();
  EXPECT_TRUE(explorerAlive.expired());
  EXPECT_TRUE(closedEditor->IsClosed());
  EXPECT_EQ(0, closedEditor->GetRootCount());
  EXPECT_EQ(E_FAIL, closedEditor->AddRootComponent(Open("prd-00012340")));

  recorder.events.clear();
  EXPECT_EQ(S_FALSE, wheel->Restore());
  wheel->Minimize();
  EXPECT_EQ(S_OK, wheel->Restore());
  EXPECT_EQ(std::vector<std::string>({"Layout CATFrmWindow::WINDOW_RESTORED"}), recorder.events);

  // Closing a window that is not current changes nothing else.
  recorder.events.clear();
  EXPECT_EQ(S_OK, layout->CloseWindow(wheel));
  EXPECT_EQ(product, layout->GetCurrentWindow());
  EXPECT_EQ(std::vector<std::string>({"Layout CATFrmWindow::WINDOW_DELETED"}), recorder.events);
  EXPECT_EQ(S_OK, layout->CloseWindow(product));
  EXPECT_EQ(nullptr, layout->GetCurrentWindow());
  EXPECT_STREQ("3DEXPERIENCEPlatform", frame_->GetCurrentWorkbench());
}

TEST_F(FrameTest, ACallbackMayCloseWindowsWhileTheLayoutNotifies) {
  CATFrmLayout* layout = frame_->GetLayout();
  CATFrmWindow *first = nullptr, *second = nullptr;
  ASSERT_EQ(S_OK, layout->OpenWindow(Open("prd-00012340"), CATFrmProductEditor, &first));
  ASSERT_EQ(S_OK, layout->OpenWindow(Open("prd-00012341"), CATFrmProductEditor, &second));
  // Closes every window when one is deactivated: the activation that follows must not reach a closed one.
  struct Closer : CATCommand {
    CATFrmLayout* layout;
    explicit Closer(CATFrmLayout* l) : CATCommand(nullptr, "closer"), layout(l) {}
    void CloseAll(CATCommand*, CATNotification*, CATCommandClientData) {
      for (CATFrmWindow* window : layout->GetWindowList()) layout->CloseWindow(window);
    }
  } closer(layout);
  closer.AddAnalyseNotificationCB(layout, CATFrmWindow::WINDOW_DEACTIVATED(),
                                  static_cast<CATCommandMethod>(&Closer::CloseAll), nullptr);
  Recorder recorder;
  recorder.Watch(layout, CATFrmWindow::WINDOW_ACTIVATED());
  EXPECT_EQ(S_OK, layout->SetCurrentWindow(first));
  EXPECT_EQ(0, layout->GetWindowCount());
  EXPECT_EQ(nullptr, layout->GetCurrentWindow());
  // Only the successor of the first closed window was activated, while it was still open.
  EXPECT_EQ(std::vector<std::string>({"Layout CATFrmWindow::WINDOW_ACTIVATED"}), recorder.events);
  app_->ProcessDelayedDestructions();
}

TEST_F(FrameTest, ExplorerWindowsEditOccurrencesAnd3DWindowsReferences) {
  CATFrmLayout* layout = frame_->GetLayout();
  CATFrmWindow *product = nullptr, *explorer = nullptr;
  CATIPLMComponent_var bicycle = Open("prd-00012340");
  ASSERT_EQ(S_OK, layout->OpenWindow(bicycle, CATFrmProductEditor, &product));
  ASSERT_EQ(S_OK, layout->OpenWindow(bicycle, CATFrmNavigationEditor, &explorer));

  CATListPtrCATIPLMComponent roots;
  ASSERT_EQ(S_OK, CATPLMComponentInterfacesServices::GetEditedRootPLMComponents(product->GetEditor(), roots));
  ASSERT_EQ(S_OK,
            CATPLMComponentInterfacesServices::GetEditedRootPLMComponents(explorer->GetEditor(), roots));
  ASSERT_EQ(2, roots.Size());
  EXPECT_EQ(NULL_var, CATINavigateObject_var(roots[1]));
  EXPECT_EQ(NULL_var, CATIPLMNavOccurrence_var(roots[1]));
  EXPECT_NE(NULL_var, CATINavigateObject_var(roots[2]));
  EXPECT_NE(NULL_var, CATIPLMNavOccurrence_var(roots[2]));
  // Both show the same tree, whose top node is the same object however it is reached.
  CATListValCATIPLMNavOccurrence_var tops;
  product->GetEditor()->ListRootOccurrences(tops);
  explorer->GetEditor()->ListRootOccurrences(tops);
  CATPathElement a{tops[1]}, b{CATINavigateObject_var(tops[2])};
  EXPECT_TRUE(a.IsEqual(b));
  for (CATIPLMComponent* root : roots) root->Release();
  EXPECT_EQ(E_FAIL, CATPLMComponentInterfacesServices::GetEditedRootPLMComponents(nullptr, roots));

  // A second root in one editor; the same root again is not added; an instance is no root.
  CATFrmEditor* editor = product->GetEditor();
  EXPECT_EQ(S_OK, editor->AddRootComponent(Open("prd-00012342")));
  EXPECT_EQ(S_FALSE, editor->AddRootComponent(Root(bicycle)));
  EXPECT_EQ(2, editor->GetRootCount());
  CATIPLMNavEntity_var instance;
  ASSERT_EQ(S_OK, Child(Root(bicycle), "prd-00012341.1")->GetInstance(instance));
  EXPECT_EQ(E_FAIL, editor->AddRootComponent(instance));
  EXPECT_EQ(E_FAIL, layout->OpenWindow(instance, CATFrmNavigationEditor));
  EXPECT_EQ(E_INVALIDARG, layout->OpenWindow(bicycle, CATFrmSearchEditor));
  EXPECT_EQ(2, layout->GetWindowCount());
}

TEST_F(FrameTest, OpenServicesPutComponentsIntoNewWindowsOnlyWhileAFrameExists) {
  CATIPLMOpenServices_var services;
  ASSERT_EQ(S_OK, CATPLMOpenServicesFactory::GetPLMOpenServices(services));
  EXPECT_EQ(S_OK, services->OpenInNewWindow(Open("prd-00012345", "B")));
  CATFrmWindow* window = frame_->GetLayout()->GetCurrentWindow();
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(CATFrmProductEditor, window->GetEditor()->GetKind());
  EXPECT_EQ(CATUnicodeString("Tire 37-622"), window->GetBaseName());
  EXPECT_EQ(E_FAIL, services->OpenInNewWindow(nullptr));
  EXPECT_EQ(1, frame_->GetLayout()->GetWindowCount());

  delete frame_;
  EXPECT_EQ(E_FAIL, CATPLMOpenServicesFactory::GetPLMOpenServices(services));
}

TEST_F(FrameTest, TheUIActiveObjectStartsAtTheRootAndChangesAreAnnounced) {
  CATFrmWindow* window = nullptr;
  CATIPLMComponent_var bicycle = Open("prd-00012340");
  ASSERT_EQ(S_OK, frame_->GetLayout()->OpenWindow(bicycle, CATFrmNavigationEditor, &window));
  CATFrmEditor* editor = window->GetEditor();
  CATPathElement root(Root(bicycle));
  EXPECT_TRUE(editor->GetUIActiveObject().IsEqual(root));

  Recorder recorder;
  recorder.Watch(frame_->GetLayout(), CATFrmEditor::UIACTIVEOBJECT_CHANGED());
  CATPathElement* wheel = PathTo(Root(bicycle), {"prd-00012341.1"});
  EXPECT_EQ(S_OK, editor->SetUIActiveObject(*wheel));
  EXPECT_EQ(S_FALSE, editor->SetUIActiveObject(*wheel));
  EXPECT_EQ(E_FAIL, editor->SetUIActiveObject(CATPathElement(Root(Open("prd-00012342")))));
  EXPECT_EQ(E_FAIL, editor->SetUIActiveObject(CATPathElement()));
  EXPECT_TRUE(editor->GetUIActiveObject().IsEqual(*wheel));
  EXPECT_EQ(std::vector<std::string>({"Layout CATFrmEditor::UIACTIVEOBJECT_CHANGED"}), recorder.events);
  wheel->Release();
}
