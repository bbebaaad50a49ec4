#ifndef UTILS_CRITICAL_SECTION_H_
#define UTILS_CRITICAL_SECTION_H_

#include <windows.h>

// A re-entrant lock (the owning thread may enter again) and its scope guard.
class CriticalSection {
 public:
  CriticalSection() { ::InitializeCriticalSection(&section_); }
  ~CriticalSection() { ::DeleteCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void Enter() { ::EnterCriticalSection(&section_); }
  void Leave() { ::LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

class AutoLock {
 public:
  explicit AutoLock(CriticalSection& lock) : lock_(lock) { lock_.Enter(); }
  ~AutoLock() { lock_.Leave(); }
  AutoLock(const AutoLock&) = delete;
  AutoLock& operator=(const AutoLock&) = delete;

 private:
  CriticalSection& lock_;
};

#endif  // UTILS_CRITICAL_SECTION_H_
