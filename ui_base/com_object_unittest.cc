#include "ui_base/com_object.h"

#include <gtest/gtest.h>

#include <ocidl.h>
#include <ole2.h>

#include "utils/com_ptr.h"

namespace {

// Two interfaces that share IUnknown, and a life the test can watch.
class TwoFaced : public ComObject<IObjectWithSite, IOleWindow> {
 public:
  explicit TwoFaced(bool* alive) : alive_(alive) { *alive_ = true; }

  STDMETHODIMP SetSite(IUnknown*) override { return S_OK; }
  STDMETHODIMP GetSite(REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP GetWindow(HWND*) override { return E_NOTIMPL; }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

 protected:
  ~TwoFaced() override { *alive_ = false; }
  void* FindInterface(REFIID iid) override {
    return FindInterfaceIn(iid, {Offer<IOleWindow>(this), Offer<IObjectWithSite>(this)});
  }

 private:
  bool* alive_;
};

TEST(ComObjectTest, AnswersItsInterfacesAndIUnknownWithTheFirstEntry) {
  bool alive = false;
  com_ptr<TwoFaced> object = MakeComObject<TwoFaced>(&alive);
  void* unknown = nullptr;
  void* window = nullptr;
  void* with_site = nullptr;
  ASSERT_EQ(object->QueryInterface(IID_IUnknown, &unknown), S_OK);
  ASSERT_EQ(object->QueryInterface(IID_IOleWindow, &window), S_OK);
  ASSERT_EQ(object->QueryInterface(IID_IObjectWithSite, &with_site), S_OK);
  EXPECT_EQ(unknown, static_cast<IUnknown*>(static_cast<IOleWindow*>(object.get())));
  EXPECT_EQ(unknown, object->GetUnknown());
  EXPECT_EQ(window, static_cast<IOleWindow*>(object.get()));
  EXPECT_EQ(with_site, static_cast<IObjectWithSite*>(object.get()));

  void* out = reinterpret_cast<void*>(0x1234);
  EXPECT_EQ(object->QueryInterface(IID_IDispatch, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(object->QueryInterface(IID_IOleWindow, nullptr), E_POINTER);

  // Each answer took a reference; the last release deletes the object.
  object.reset();
  for (void* given : {unknown, window})
    static_cast<IUnknown*>(given)->Release();
  EXPECT_TRUE(alive);
  EXPECT_EQ(static_cast<IUnknown*>(with_site)->Release(), 0u);
  EXPECT_FALSE(alive);
}

}  // namespace
