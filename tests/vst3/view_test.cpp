// The VST3 editor view of the plug-in object: which names make a view, its answers (platform type,
// size, focus, resizing), attaching and removing with one or two views, the resize road through the
// host frame, and the plug-in's lifetime while views exist. The editor window itself is replaced by
// a stand-in graphics object that hands out made-up window handles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fx/formats/ifxvst3view.h"
#include "fx/igraphics.h"
#include "plugin/quibelombrelux.h"
#include "tools/vst3host/host.h"

using namespace Steinberg;

namespace {

// The plug-in with the editor hooks recorded.
class ViewedPlugin : public QuibelOmbrelux {
 public:
  explicit ViewedPlugin(std::vector<std::string>* log) : QuibelOmbrelux(IFxCreateArgs()), mLog(log) {}
  ~ViewedPlugin() override { mLog->push_back("plug-in deleted"); }
  void EditorOpened() override { mLog->push_back("opened"); }
  void EditorClosing() override { mLog->push_back("closing"); }
  void EditorResized() override { mLog->push_back("resized"); }

 private:
  std::vector<std::string>* mLog;
};

// Graphics object whose window is a counter value: every open makes a new "window", the way
// re-opening replaces the window.
class StandInWindowGraphics : public IGraphics {
 public:
  StandInWindowGraphics(IFxBase* plug, std::vector<std::string>* log, bool canOpen = true)
      : IGraphics(plug, 640, 480, 0), mLog(log), mCanOpen(canOpen) {}
  void* OpenEditorWindow(void* parent) override {
    mLog->push_back("open on " + std::to_string(reinterpret_cast<uintptr_t>(parent)));
    if (!mCanOpen) return nullptr;
    mWindow = reinterpret_cast<void*>(static_cast<uintptr_t>(++mMade * 16));
    return mWindow;
  }
  void CloseEditorWindow() override {
    if (!mWindow) return;
    mLog->push_back("close " + std::to_string(reinterpret_cast<uintptr_t>(mWindow)));
    mWindow = nullptr;
  }
  void* NativeWindow() override { return mWindow; }

 private:
  std::vector<std::string>* mLog;
  bool mCanOpen;
  void* mWindow = nullptr;
  int mMade = 0;
};

class Frame : public vst3host::HostObject<IPlugFrame> {
 public:
  tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* r) override {
    calls.push_back(std::to_string(r->right - r->left) + "x" + std::to_string(r->bottom - r->top));
    return answer ? view->onSize(r) : kResultOk;
  }
  std::vector<std::string> calls;
  bool answer = true;
};

void* Parent(uintptr_t v) { return reinterpret_cast<void*>(v); }

struct ViewFixture : ::testing::Test {
  void SetUp() override {
    fx = new ViewedPlugin(&log);
    fx->initialize(&host);
  }
  void TearDown() override {
    if (fx) {
      fx->terminate();
      fx->release();
    }
  }
  // Replaces the plug-in's graphics object by a stand-in.
  void UseStandIn(bool canOpen = true) {
    fx->ConnectGraphics(new StandInWindowGraphics(fx, &log, canOpen));
    log.clear();
  }
  IPlugView* NewView() { return fx->createView("editor"); }

  std::vector<std::string> log;
  vst3host::HostApplication host{"ViewTest"};
  ViewedPlugin* fx = nullptr;
};

using Log = std::vector<std::string>;

}  // namespace

TEST_F(ViewFixture, OnlyTheNameEditorMakesAView) {
  EXPECT_EQ(fx->createView(nullptr), nullptr);
  for (const char* name : {"", "Editor", "EDITOR", "editor ", "edit", "editorx"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(fx->createView(name), nullptr);
  }
  IPlugView* view = fx->createView("editor");
  ASSERT_NE(view, nullptr);
  // The view answers IPlugView and FUnknown with itself.
  void* asked = nullptr;
  EXPECT_EQ(view->queryInterface(IPlugView::iid.bytes, &asked), kResultOk);
  EXPECT_EQ(asked, view);
  view->release();
  view->release();
}

TEST_F(ViewFixture, AnswersForPlatformSizeFocusAndResizing) {
  IPlugView* view = NewView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->isPlatformTypeSupported("HWND"), kResultTrue);
  for (const char* type : {"NSView", "X11EmbedWindowID", "hwnd", "HWND ", ""}) {
    EXPECT_EQ(view->isPlatformTypeSupported(type), kResultFalse) << type;
  }
  EXPECT_EQ(view->isPlatformTypeSupported(nullptr), kResultFalse);
  ViewRect r{7, 7, 7, 7};
  EXPECT_EQ(view->getSize(&r), kResultOk);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, 640);
  EXPECT_EQ(r.bottom, 480);
  EXPECT_EQ(view->getSize(nullptr), kInvalidArgument);
  EXPECT_EQ(view->onFocus(true), kResultFalse);
  EXPECT_EQ(view->onWheel(1.0f), kResultFalse);
  EXPECT_EQ(view->onKeyDown('a', 0, 0), kResultFalse);
  EXPECT_EQ(view->onKeyUp('a', 0, 0), kResultFalse);
  EXPECT_EQ(view->canResize(), kResultFalse);
  EXPECT_EQ(view->checkSizeConstraint(&r), kResultFalse);
  view->release();
}

TEST_F(ViewFixture, AttachOpensTheWindowOnlyForHwndAndAnActualWindow) {
  UseStandIn();
  IPlugView* view = NewView();
  // Another platform type opens nothing and tells the plug-in nothing.
  EXPECT_EQ(view->attached(Parent(0x100), "NSView"), kResultFalse);
  EXPECT_EQ(view->attached(nullptr, "HWND"), kResultFalse);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(view->attached(Parent(0x100), "HWND"), kResultOk);
  EXPECT_EQ(view->removed(), kResultOk);
  EXPECT_EQ(log, (Log{"open on 256", "opened", "closing", "close 16"}));
  view->release();

  // A window that cannot be made: kResultFalse, and the plug-in hears of no editor.
  UseStandIn(false);
  view = NewView();
  EXPECT_EQ(view->attached(Parent(0x100), "HWND"), kResultFalse);
  EXPECT_EQ(view->removed(), kResultOk);
  EXPECT_EQ(log, (Log{"open on 256"}));
  view->release();
}

TEST_F(ViewFixture, WithoutAWindowSystemAttachFails) {
  // The plug-in's own graphics object in a build without windows opens none.
  IPlugView* view = NewView();
  EXPECT_EQ(view->attached(Parent(0x100), "HWND"), kResultFalse);
  EXPECT_TRUE(log.empty());
  view->release();
}

TEST_F(ViewFixture, TwoViewsShareOneWindowAndOnlyTheOwnerClosesIt) {
  UseStandIn();
  IPlugView* a = NewView();
  IPlugView* b = NewView();
  ASSERT_EQ(a->attached(Parent(0x100), "HWND"), kResultOk);
  ASSERT_EQ(b->attached(Parent(0x200), "HWND"), kResultOk);  // the window moves to b (window 32)
  EXPECT_EQ(a->removed(), kResultOk);  // not a's window any more: it stays
  EXPECT_EQ(b->removed(), kResultOk);
  EXPECT_EQ(log, (Log{"open on 256", "opened", "open on 512", "opened", "closing", "close 32"}));
  a->release();
  b->release();
}

TEST_F(ViewFixture, ResizeGoesThroughTheHostFrameAndTellsThePlugInOnce) {
  UseStandIn();
  IPlugView* view = NewView();
  Frame frame;
  EXPECT_EQ(view->setFrame(&frame), kResultOk);
  // A size from the host alone is only stored.
  ViewRect hostSize{0, 0, 700, 500};
  EXPECT_EQ(view->onSize(&hostSize), kResultOk);
  EXPECT_EQ(view->onSize(nullptr), kResultOk);
  EXPECT_TRUE(log.empty());
  // The plug-in's own resize asks the frame, whose answer (onSize) tells the plug-in once.
  fx->AttachedGraphics()->SetEditorSize(800, 600);
  EXPECT_EQ(frame.calls, (Log{"800x600"}));
  EXPECT_EQ(log, (Log{"resized"}));
  ViewRect again{0, 0, 800, 600};
  view->onSize(&again);
  EXPECT_EQ(log, (Log{"resized"}));
  ViewRect r;
  EXPECT_EQ(view->getSize(&r), kResultOk);
  EXPECT_EQ(r.right, 800);
  EXPECT_EQ(r.bottom, 600);
  // The first open view is the one asked.
  IPlugView* second = NewView();
  Frame otherFrame;
  second->setFrame(&otherFrame);
  fx->ResizeEditor(640, 480);
  EXPECT_EQ(frame.calls, (Log{"800x600", "640x480"}));
  EXPECT_TRUE(otherFrame.calls.empty());
  view->setFrame(nullptr);
  second->setFrame(nullptr);
  view->release();
  second->release();
}

TEST_F(ViewFixture, ViewsKeepThePlugInAliveAndLeaveItsListWhenTheyGo) {
  IPlugView* a = NewView();
  IPlugView* b = NewView();
  // The host lets go of the component and controller: the views keep the object.
  fx->terminate();
  fx->release();
  fx = nullptr;
  EXPECT_TRUE(std::find(log.begin(), log.end(), "plug-in deleted") == log.end());
  EXPECT_EQ(a->getSize(nullptr), kInvalidArgument);  // still answering
  a->release();
  EXPECT_TRUE(std::find(log.begin(), log.end(), "plug-in deleted") == log.end());
  b->release();
  EXPECT_EQ(log.back(), "plug-in deleted");
}

TEST_F(ViewFixture, ReleasingAViewRemovesExactlyItsEntry) {
  UseStandIn();
  IPlugView* a = NewView();
  IPlugView* b = NewView();
  Frame fa, fb;
  a->setFrame(&fa);
  b->setFrame(&fb);
  a->release();  // b is now the first open view: resizing asks its frame
  fx->ResizeEditor(640, 480);
  EXPECT_TRUE(fa.calls.empty());
  EXPECT_EQ(fb.calls, (Log{"640x480"}));
  b->setFrame(nullptr);
  b->release();
  // No view left: nothing to ask.
  fx->ResizeEditor(640, 480);
  EXPECT_EQ(fb.calls.size(), 1u);
}

TEST_F(ViewFixture, TerminateWithAViewOpen) {
  UseStandIn();
  IPlugView* view = NewView();
  ASSERT_EQ(view->attached(Parent(0x100), "HWND"), kResultOk);
  EXPECT_EQ(fx->terminate(), kResultOk);
  // The view still works and closes its window; its later release finds no list entry.
  EXPECT_EQ(view->removed(), kResultOk);
  view->release();
  EXPECT_EQ(log, (Log{"open on 256", "opened", "closing", "close 16"}));
  fx->initialize(&host);
}
