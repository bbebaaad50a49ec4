#ifndef UI_BASE_COM_OBJECT_H_
#define UI_BASE_COM_OBJECT_H_

#include <windows.h>

#include <unknwn.h>

#include <initializer_list>
#include <utility>

#include "utils/com_ptr.h"

// A COM object of the user-interface thread (single-threaded apartment):
//
//   class Sink : public ComObject<IDispatch> {
//     ...
//    protected:
//     void* FindInterface(REFIID iid) override {
//       return FindInterfaceIn(iid, {Offer<IDispatch>(this)});
//     }
//   };
//   com_ptr<Sink> sink = MakeComObject<Sink>(...);
//
// The object deletes itself when its last reference goes.

// One interface an object answers: its IID and where it sits in the object.
struct InterfaceEntry {
  const IID& iid;
  void* ptr;
};

// `Via` names the base to go through when `Interface` is reachable along
// several paths (IOleWindow through IOleInPlaceSite, for example).
template <typename Interface, typename Via = Interface, typename Object>
InterfaceEntry Offer(Object* object) {
  return {__uuidof(Interface), static_cast<Interface*>(static_cast<Via*>(object))};
}

// The entry answering `iid`, tried in order; IUnknown is answered by the
// first entry. Null when none does.
inline void* FindInterfaceIn(REFIID iid, std::initializer_list<InterfaceEntry> entries) {
  if (entries.size() == 0)
    return nullptr;
  if (iid == IID_IUnknown)
    return entries.begin()->ptr;
  for (const InterfaceEntry& entry : entries) {
    if (entry.iid == iid)
      return entry.ptr;
  }
  return nullptr;
}

template <typename... Interfaces>
class ComObject : public Interfaces... {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out)
      return E_POINTER;
    *out = FindInterface(iid);
    if (!*out)
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0)
      delete this;
    return left;
  }

  // The object's identity, what QueryInterface answers for IUnknown.
  IUnknown* GetUnknown() { return static_cast<IUnknown*>(FindInterface(IID_IUnknown)); }

 protected:
  ComObject() = default;
  virtual ~ComObject() = default;

  // The interfaces QueryInterface answers (see FindInterfaceIn).
  virtual void* FindInterface(REFIID iid) = 0;

 private:
  ULONG references_ = 0;
};

// Creates a COM object holding one reference, the returned one.
template <typename T, typename... Args>
com_ptr<T> MakeComObject(Args&&... args) {
  return com_ptr<T>(new T(std::forward<Args>(args)...));
}

#endif  // UI_BASE_COM_OBJECT_H_
