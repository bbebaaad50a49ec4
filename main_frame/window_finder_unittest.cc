#include "main_frame/window_finder.h"

#include <gtest/gtest.h>

#include <string>

#include "main_frame/main_frame_test_util.h"
#include "utils/string_util.h"

namespace {

constexpr wchar_t kTopClass[] = L"TabBridgeFinderTop";

class WindowFinderTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (const wchar_t* name : {kTopClass, kRenderWidgetClass, kCompositorWindowClass}) {
      WNDCLASSEXW window_class = {sizeof(window_class)};
      window_class.lpfnWndProc = &::DefWindowProcW;
      window_class.hInstance = ::GetModuleHandleW(nullptr);
      window_class.lpszClassName = name;
      ::RegisterClassExW(&window_class);
    }
  }

  // Shown without activation, on top of the z-order.
  static unique_hwnd TopLevel(const std::wstring& title, bool visible = true) {
    unique_hwnd window(::CreateWindowExW(0, kTopClass, title.c_str(), WS_POPUP, 0, 0, 300, 200,
                                         nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr));
    if (visible)
      ::SetWindowPos(window.get(), HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return window;
  }

  static HWND Child(HWND parent,
                    const wchar_t* class_name,
                    int width,
                    int height,
                    bool visible = true) {
    return ::CreateWindowExW(0, class_name, L"", WS_CHILD | (visible ? WS_VISIBLE : 0), 0, 0, width,
                             height, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  }

  static HWND FindTitle(const std::wstring& part) {
    FindWindowSpec spec;
    spec.title_part = part;
    return FindTopLevelWindow(&spec);
  }

  const std::wstring title_ = UniqueTitle(L"Finder Test");
};

TEST_F(WindowFinderTest, TopLevelSearchTakesTheHighestMatch) {
  const unique_hwnd first = TopLevel(title_ + L" first");
  const unique_hwnd second = TopLevel(title_ + L" second");
  FindWindowSpec spec;
  spec.title_part = title_;
  EXPECT_EQ(FindTopLevelWindow(&spec), second.get());
  EXPECT_EQ(spec.result, second.get());

  ::SetWindowPos(first.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(FindTitle(title_), first.get());
  EXPECT_EQ(FindTitle(title_ + L" second"), second.get());
  EXPECT_EQ(FindTitle(title_ + L" third"), nullptr);
}

TEST_F(WindowFinderTest, TitleIsMatchedIgnoringCase) {
  const unique_hwnd window = TopLevel(L"Tab \u00c4rger - " + title_ + L" - Browser");
  EXPECT_EQ(FindTitle(L"\u00e4RGER - " + AsciiToLower(title_)), window.get());
  EXPECT_EQ(FindTitle(L"ARGER - " + title_), nullptr) << "letters stay themselves";
}

TEST_F(WindowFinderTest, OnlyTheFirst259CharactersOfATitleCount) {
  const std::wstring padding(259 - title_.size() - 1, L'x');
  const unique_hwnd window = TopLevel(title_ + L" " + padding + L"TAIL");
  EXPECT_EQ(FindTitle(title_ + L" " + padding), window.get());
  EXPECT_EQ(FindTitle(padding + L"T"), nullptr) << "the 260th character is not read";
}

TEST_F(WindowFinderTest, HiddenWindowsDoNotMatch) {
  const unique_hwnd hidden = TopLevel(title_, /*visible=*/false);
  EXPECT_EQ(FindTitle(title_), nullptr);
  FindWindowSpec spec;
  spec.title_part = title_;
  spec.visible = false;
  EXPECT_EQ(FindTopLevelWindow(&spec), hidden.get());
}

TEST_F(WindowFinderTest, ChildSearchGoesToAnyDepthAndComparesWholeClassNames) {
  const unique_hwnd top = TopLevel(title_);
  const HWND middle = Child(top.get(), L"STATIC", 100, 100);
  const HWND deep = Child(middle, kCompositorWindowClass, 50, 50);

  FindWindowSpec spec;
  spec.class_name = L"intermediate d3d WINDOW";
  EXPECT_EQ(FindChildWindow(top.get(), &spec), deep);
  spec.class_name = L"Intermediate D3D";
  EXPECT_EQ(FindChildWindow(top.get(), &spec), nullptr);
  spec.class_name = kCompositorWindowClass;
  EXPECT_EQ(FindChildWindow(nullptr, &spec), nullptr) << "no parent, no children";
}

TEST_F(WindowFinderTest, RenderWidgetIsAVisibleDirectChild) {
  const unique_hwnd top = TopLevel(title_);
  const HWND holder = Child(top.get(), L"STATIC", 800, 600);
  Child(holder, kRenderWidgetClass, 780, 520);
  const HWND hidden = Child(top.get(), kRenderWidgetClass, 780, 520, /*visible=*/false);
  EXPECT_EQ(FindRenderWidget(top.get(), 780, 520), nullptr);

  ::ShowWindow(hidden, SW_SHOWNA);
  const HWND upper = Child(top.get(), kRenderWidgetClass, 775, 515);
  ::SetWindowPos(upper, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(FindRenderWidget(top.get(), 780, 520), upper) << "highest first";
  ::SetWindowPos(hidden, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(FindRenderWidget(top.get(), 780, 520), hidden);
}

TEST_F(WindowFinderTest, VanishedWindowsDoNotMatch) {
  unique_hwnd top = TopLevel(title_);
  const HWND gone = top.get();
  Child(gone, kRenderWidgetClass, 780, 520);
  top.reset();
  EXPECT_EQ(FindRenderWidget(gone, 780, 520), nullptr);
  FindWindowSpec spec;
  spec.class_name = kRenderWidgetClass;
  EXPECT_EQ(FindChildWindow(gone, &spec), nullptr);
  EXPECT_EQ(FindTitle(title_), nullptr);
}

}  // namespace
