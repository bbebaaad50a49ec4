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

ULONG References(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

TEST(ComObjectTest, AnswersItsInterfacesAndIUnknownWithTheFirstEntry) {
  bool alive = false;
  com_ptr<TwoFaced> object = MakeComObject<TwoFaced>(&alive);

  void* unknown_1 = nullptr;
  void* unknown_2 = nullptr;
  ASSERT_EQ(object->QueryInterface(IID_IUnknown, &unknown_1), S_OK);
  ASSERT_EQ(object->QueryInterface(IID_IUnknown, &unknown_2), S_OK);
  EXPECT_EQ(unknown_1, unknown_2);
  EXPECT_EQ(unknown_1, static_cast<IUnknown*>(static_cast<IOleWindow*>(object.get())));
  EXPECT_EQ(unknown_1, object->GetUnknown());

  void* window = nullptr;
  void* with_site = nullptr;
  ASSERT_EQ(object->QueryInterface(IID_IOleWindow, &window), S_OK);
  ASSERT_EQ(object->QueryInterface(IID_IObjectWithSite, &with_site), S_OK);
  EXPECT_EQ(window, static_cast<IOleWindow*>(object.get()));
  EXPECT_EQ(with_site, static_cast<IObjectWithSite*>(object.get()));
  EXPECT_NE(window, with_site);

  for (void* given : {unknown_1, unknown_2, window, with_site})
    static_cast<IUnknown*>(given)->Release();
  EXPECT_EQ(References(object->GetUnknown()), 1u);
}

TEST(ComObjectTest, RefusesOtherInterfacesWithNullAndNullOutParameters) {
  bool alive = false;
  com_ptr<TwoFaced> object = MakeComObject<TwoFaced>(&alive);
  void* out = reinterpret_cast<void*>(0x1234);
  EXPECT_EQ(object->QueryInterface(IID_IDispatch, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(object->QueryInterface(IID_IOleWindow, nullptr), E_POINTER);
  EXPECT_EQ(References(object->GetUnknown()), 1u);
}

TEST(ComObjectTest, DeletesItselfWithItsLastReference) {
  bool alive = false;
  com_ptr<TwoFaced> object = MakeComObject<TwoFaced>(&alive);
  ASSERT_TRUE(alive);
  com_ptr<IOleWindow> window;
  ASSERT_EQ(object.query(&window), S_OK);
  object.reset();
  EXPECT_TRUE(alive);
  EXPECT_EQ(window->Release(), 0u);
  EXPECT_FALSE(alive);
  (void)window.release();
}

TEST(ComPtrTest, CopiesShareAndMovesHandOverTheReference) {
  bool alive = false;
  com_ptr<TwoFaced> first = MakeComObject<TwoFaced>(&alive);
  IUnknown* const unknown = first->GetUnknown();
  {
    com_ptr<TwoFaced> copy = first;
    EXPECT_EQ(References(unknown), 2u);
    com_ptr<TwoFaced> moved = std::move(copy);
    EXPECT_FALSE(copy);
    EXPECT_EQ(References(unknown), 2u);
    moved = first;  // same object: still two
    EXPECT_EQ(References(unknown), 2u);
  }
  EXPECT_EQ(References(unknown), 1u);
  first = nullptr;
  EXPECT_FALSE(alive);
}

TEST(ComPtrTest, PutDropsTheOldObjectAndDetachHandsTheReferenceOver) {
  bool first_alive = false;
  bool second_alive = false;
  com_ptr<TwoFaced> holder = MakeComObject<TwoFaced>(&first_alive);
  TwoFaced* second = MakeComObject<TwoFaced>(&second_alive).release();
  ASSERT_TRUE(second_alive);

  *holder.put() = second;  // as an out parameter hands over a reference
  EXPECT_FALSE(first_alive);
  EXPECT_EQ(References(second->GetUnknown()), 1u);

  TwoFaced* raw = holder.release();
  EXPECT_FALSE(holder);
  EXPECT_TRUE(second_alive);
  EXPECT_EQ(References(raw->GetUnknown()), 1u);
  *holder.put() = raw;
  holder.reset();
  EXPECT_FALSE(second_alive);
}

TEST(ComPtrTest, AsAndCopyToReportFailuresWithoutLeavingPointers) {
  bool alive = false;
  com_ptr<TwoFaced> object = MakeComObject<TwoFaced>(&alive);
  com_ptr<IDispatch> dispatch;
  EXPECT_EQ(object.query(&dispatch), E_NOINTERFACE);
  EXPECT_FALSE(dispatch);

  com_ptr<TwoFaced> empty;
  com_ptr<IOleWindow> window;
  EXPECT_EQ(empty.query(&window), E_POINTER);
  EXPECT_EQ(object.copy_to(nullptr), E_POINTER);

  TwoFaced* copy = nullptr;
  ASSERT_EQ(object.copy_to(&copy), S_OK);
  EXPECT_EQ(copy, object.get());
  EXPECT_EQ(References(object->GetUnknown()), 2u);
  copy->Release();
}

TEST(ComPtrTest, SameObjectIsJudgedByIdentityNotByInterfacePointer) {
  bool alive_a = false;
  bool alive_b = false;
  com_ptr<TwoFaced> a = MakeComObject<TwoFaced>(&alive_a);
  com_ptr<TwoFaced> b = MakeComObject<TwoFaced>(&alive_b);
  IOleWindow* a_window = a.get();
  IObjectWithSite* a_site = a.get();
  EXPECT_TRUE(IsSameComObject(a_window, a_site));
  EXPECT_FALSE(IsSameComObject(a_window, static_cast<IOleWindow*>(b.get())));
  EXPECT_FALSE(IsSameComObject(a_window, nullptr));
  EXPECT_FALSE(IsSameComObject(nullptr, a_site));
  EXPECT_TRUE(IsSameComObject(nullptr, nullptr));
}

}  // namespace
