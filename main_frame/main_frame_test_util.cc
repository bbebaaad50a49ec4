#include "main_frame/main_frame_test_util.h"

#include <cjson/cJSON.h>

#include <memory>

namespace {

// Ids a test may reach; every one is closed at the end.
constexpr int kMaxTestFrameId = 32;
constexpr wchar_t kBrowserClass[] = L"TabBridgeTestBrowser";

bool RegisterPlainClass(const wchar_t* name) {
  WNDCLASSEXW window_class = {sizeof(window_class)};
  window_class.lpfnWndProc = &::DefWindowProcW;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.lpszClassName = name;
  return ::RegisterClassExW(&window_class) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateChild(const wchar_t* class_name, HWND parent, const RECT& rect) {
  return ::CreateWindowExW(0, class_name, L"", WS_CHILD | WS_VISIBLE, rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                           ::GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

std::optional<std::string> JsonMember(const std::string& text, const char* name) {
  const std::unique_ptr<cJSON, decltype(&cJSON_Delete)> root(cJSON_Parse(text.c_str()),
                                                             &cJSON_Delete);
  const cJSON* item = root ? cJSON_GetObjectItemCaseSensitive(root.get(), name) : nullptr;
  if (!item)
    return std::nullopt;
  if (cJSON_IsString(item))
    return std::string(item->valuestring);
  if (cJSON_IsBool(item))
    return std::string(cJSON_IsTrue(item) ? "true" : "false");
  if (cJSON_IsNumber(item))
    return std::to_string(item->valueint);
  return std::nullopt;
}

bool TestController::OpenDevTools() {
  ++dev_tools_requests;
  return CMainFrameController::OpenDevTools();
}

FrameTest::FrameTest() {
  manager_.services().create_controller = [this](int frame_id) {
    return std::make_unique<TestController>(frame_id, &manager_);
  };
}

FrameTest::~FrameTest() {
  for (int id = 1; id <= kMaxTestFrameId; ++id) {
    if (manager_.GetFrameController(id))
      manager_.CrxClose(id, -1);
  }
  // Controllers whose frame never had a window are still here.
  for (int id = 1; id <= kMaxTestFrameId; ++id)
    manager_.RemoveController(id);
  TakeQuitMessage();
}

void FrameTest::SetUp() {
  ASSERT_TRUE(ole_.ok());
  ASSERT_TRUE(engine_.registered()) << "stand_in_engine.dll not found beside the test program";
}

TestController* FrameTest::Create(CreateParams params) {
  manager_.CrxCreate(params);
  // The newest frame has the largest id.
  for (int id = kMaxTestFrameId; id > 0; --id) {
    if (IFrameController* controller = manager_.GetFrameController(id))
      return static_cast<TestController*>(controller);
  }
  return nullptr;
}

TestController* FrameTest::Controller(int frame_id) {
  return static_cast<TestController*>(manager_.GetFrameController(frame_id));
}

std::vector<std::string> FrameTest::Sent(const std::string& action) const {
  std::vector<std::string> matching;
  for (const std::string& text : stream_.Messages()) {
    if (JsonMember(text, "action") == action)
      matching.push_back(text);
  }
  return matching;
}

std::vector<std::string> FrameTest::SentActions() const {
  std::vector<std::string> actions;
  for (const std::string& text : stream_.Messages())
    actions.push_back(JsonMember(text, "action").value_or("?"));
  return actions;
}

bool FrameTest::WaitForSent(const std::string& action, size_t count) {
  return PumpMessagesUntil([&] { return Sent(action).size() >= count; }, kFrameWaitMs);
}

bool FrameTest::TakeQuitMessage() {
  MSG msg;
  return ::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

TestBrowserWindow::TestBrowserWindow(const std::wstring& title,
                                     const RECT& window,
                                     const RECT& render,
                                     DWORD ex_style) {
  if (!RegisterPlainClass(kBrowserClass) || !RegisterPlainClass(kRenderWidgetClass) ||
      !RegisterPlainClass(kCompositorWindowClass)) {
    ADD_FAILURE() << "window classes of the test browser";
    return;
  }
  top_.reset(::CreateWindowExW(ex_style, kBrowserClass, title.c_str(), WS_POPUP | WS_CLIPCHILDREN,
                               window.left, window.top, window.right - window.left,
                               window.bottom - window.top, nullptr, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr));
  if (!top_) {
    ADD_FAILURE() << "test browser window";
    return;
  }
  RECT client = {};
  ::GetClientRect(top_.get(), &client);
  compositor_ = CreateChild(kCompositorWindowClass, top_.get(), client);
  render_ = CreateChild(kRenderWidgetClass, top_.get(), render);
  // Activation would cost seconds when the window goes (Wine under Xvfb).
  ::ShowWindow(top_.get(), SW_SHOWNA);
}

RECT TestBrowserWindow::RenderScreenRect() const {
  return ScreenRect(render_);
}

std::wstring UniqueTitle(const std::wstring& base) {
  static int counter = 0;
  return base + L" " + std::to_wstring(::GetCurrentProcessId()) + L"." + std::to_wstring(++counter);
}

RECT ScreenRect(HWND window) {
  RECT rect = {};
  ::GetWindowRect(window, &rect);
  return rect;
}

void PrintTo(const RECT& rect, std::ostream* out) {
  *out << "(" << rect.left << "," << rect.top << ")-(" << rect.right << "," << rect.bottom << ")";
}
