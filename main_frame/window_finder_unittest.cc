#include "main_frame/window_finder.h"

#include <gtest/gtest.h>

#include <string>

#include "main_frame/main_frame_test_util.h"
#include "utils/string_util.h"

namespace {

constexpr wchar_t kTopClass[] = L"TabBridgeFinderTop";
constexpr wchar_t kOtherClass[] = L"TabBridgeFinderOther";

class WindowFinderTest : public testing::Test {
 protected:
  // On top of the z-order.
  static unique_hwnd TopLevel(const std::wstring& title) {
    return unique_hwnd(CreateTestWindow(kTopClass, nullptr, {0, 0, 300, 200}, title));
  }
  static HWND Child(HWND parent, const wchar_t* class_name, int width, int height) {
    return CreateTestWindow(class_name, parent, {0, 0, width, height});
  }
  static HWND FindTitle(const std::wstring& part, bool visible = true) {
    FindWindowSpec spec{.title_part = part, .visible = visible};
    return FindTopLevelWindow(&spec);
  }

  const std::wstring title_ = UniqueTitle(L"Finder Test");
};

TEST_F(WindowFinderTest, TopLevelSearchTakesTheHighestVisibleMatchIgnoringCase) {
  const unique_hwnd first = TopLevel(title_ + L" \u00c4rger");
  const unique_hwnd second = TopLevel(title_ + L" second");
  const unique_hwnd hidden = TopLevel(title_ + L" hidden");
  ::ShowWindow(hidden.get(), SW_HIDE);
  FindWindowSpec spec{.title_part = title_};
  EXPECT_EQ(FindTopLevelWindow(&spec), second.get());
  EXPECT_EQ(spec.result, second.get());
  EXPECT_EQ(FindTitle(AsciiToLower(title_) + L" \u00e4RGER"), first.get());
  EXPECT_EQ(FindTitle(title_ + L" ARGER"), nullptr) << "letters stay themselves";
  EXPECT_EQ(FindTitle(title_ + L" hidden"), nullptr);
  EXPECT_EQ(FindTitle(title_ + L" hidden", /*visible=*/false), hidden.get());
}

TEST_F(WindowFinderTest, OnlyTheFirst259CharactersOfATitleCount) {
  const std::wstring padding(259 - title_.size() - 1, L'x');
  const unique_hwnd window = TopLevel(title_ + L" " + padding + L"TAIL");
  EXPECT_EQ(FindTitle(title_ + L" " + padding), window.get());
  EXPECT_EQ(FindTitle(padding + L"T"), nullptr) << "the 260th character is not read";
}

TEST_F(WindowFinderTest, ChildSearchGoesToAnyDepthAndComparesWholeClassNames) {
  const unique_hwnd top = TopLevel(title_);
  const HWND deep = Child(Child(top.get(), kOtherClass, 100, 100), kCompositorWindowClass, 50, 50);
  FindWindowSpec spec{.class_name = L"intermediate d3d WINDOW"};
  EXPECT_EQ(FindChildWindow(top.get(), &spec), deep);
  EXPECT_EQ(FindChildWindow(nullptr, &spec), nullptr) << "no parent, no children";
  spec.class_name = L"Intermediate D3D";
  EXPECT_EQ(FindChildWindow(top.get(), &spec), nullptr);
}

TEST_F(WindowFinderTest, RenderWidgetIsTheHighestVisibleDirectChildOfTheSize) {
  const unique_hwnd top = TopLevel(title_);
  Child(Child(top.get(), kOtherClass, 800, 600), kRenderWidgetClass, 780, 520);
  ::ShowWindow(Child(top.get(), kRenderWidgetClass, 780, 520), SW_HIDE);
  EXPECT_EQ(FindRenderWidget(top.get(), 780, 520), nullptr);
  const HWND lower = Child(top.get(), kRenderWidgetClass, 780, 520);
  const HWND upper = Child(top.get(), kRenderWidgetClass, 775, 515);
  ::SetWindowPos(upper, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(FindRenderWidget(top.get(), 780, 520), upper);
  ::SetWindowPos(lower, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(FindRenderWidget(top.get(), 780, 520), lower);
}

}  // namespace
