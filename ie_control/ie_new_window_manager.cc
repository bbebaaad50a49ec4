#include "ie_control/ie_new_window_manager.h"

STDMETHODIMP IENewWindowManager::EvaluateNewWindow(LPCWSTR url,
                                                   LPCWSTR name,
                                                   LPCWSTR url_context,
                                                   LPCWSTR features,
                                                   BOOL replace,
                                                   DWORD flags,
                                                   DWORD user_action_time) {
  if (notify_)
    notify_->NotifyEvaluateNewWindow(url, name, url_context, features, replace, flags,
                                     user_action_time);
  return S_OK;
}

void* IENewWindowManager::FindInterface(REFIID iid) {
  return FindInterfaceIn(iid, {Offer<INewWindowManager>(this)});
}
