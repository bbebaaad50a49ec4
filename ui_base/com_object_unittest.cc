#include "ui_base/com_object.h"

#include <gtest/gtest.h>

#include <ocidl.h>
#include <ole2.h>

#include "utils/com_ptr.h"

namespace {

// Two interfaces that share IUnknown, and a life the test can watch.
class TwoFaced : public ComObject<IPersist, IProvideClassInfo> {
 public:
  explicit TwoFaced(bool* alive) : alive_(alive) { *alive_ = true; }

  STDMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetClassInfo(ITypeInfo**) override { return E_NOTIMPL; }

 protected:
  ~TwoFaced() override { *alive_ = false; }
  void* FindInterface(REFIID iid) override {
    return FindInterfaceIn(iid, {Offer<IProvideClassInfo>(this), Offer<IPersist>(this)});
  }

 private:
  bool* alive_;
};

TEST(ComObjectTest, AnswersItsInterfacesAndIUnknownWithTheFirstEntry) {
  bool alive = false;
  com_ptr<TwoFaced> object = MakeComObject<TwoFaced>(&alive);
  void* unknown = nullptr;
  void* info = nullptr;
  void* persist = nullptr;
  ASSERT_EQ(object->QueryInterface(IID_IUnknown, &unknown), S_OK);
  ASSERT_EQ(object->QueryInterface(IID_IProvideClassInfo, &info), S_OK);
  ASSERT_EQ(object->QueryInterface(IID_IPersist, &persist), S_OK);
  EXPECT_EQ(unknown, static_cast<IUnknown*>(static_cast<IProvideClassInfo*>(object.get())));
  EXPECT_EQ(unknown, object->GetUnknown());
  EXPECT_EQ(info, static_cast<IProvideClassInfo*>(object.get()));
  EXPECT_EQ(persist, static_cast<IPersist*>(object.get()));

  void* out = reinterpret_cast<void*>(0x1234);
  EXPECT_EQ(object->QueryInterface(IID_IDispatch, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);

  // Each answer took a reference; the last release deletes the object.
  object.reset();
  for (void* given : {unknown, info})
    static_cast<IUnknown*>(given)->Release();
  EXPECT_TRUE(alive);
  EXPECT_EQ(static_cast<IUnknown*>(persist)->Release(), 0u);
  EXPECT_FALSE(alive);
}

}  // namespace
