#include "tests/scoped_read_only_key.h"

namespace {

constexpr SECURITY_INFORMATION kDacl = DACL_SECURITY_INFORMATION;

}  // namespace

ScopedReadOnlyKey::ScopedReadOnlyKey(HKEY root, const std::wstring& subkey) {
  DWORD size = 0;
  if (::RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr,
                        key_.put(), nullptr) != ERROR_SUCCESS ||
      ::RegGetKeySecurity(key_.get(), kDacl, nullptr, &size) != ERROR_INSUFFICIENT_BUFFER) {
    return;
  }
  previous_.resize(size);
  if (::RegGetKeySecurity(key_.get(), kDacl, previous_.data(), &size) != ERROR_SUCCESS)
    return;
  BYTE everyone[SECURITY_MAX_SID_SIZE];
  DWORD sid_size = sizeof(everyone);
  BYTE acl_bytes[sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE];
  auto* const acl = reinterpret_cast<ACL*>(acl_bytes);
  SECURITY_DESCRIPTOR read_only;
  ok_ = ::CreateWellKnownSid(WinWorldSid, nullptr, everyone, &sid_size) &&
        ::InitializeAcl(acl, sizeof(acl_bytes), ACL_REVISION) &&
        ::AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ, everyone) &&
        ::InitializeSecurityDescriptor(&read_only, SECURITY_DESCRIPTOR_REVISION) &&
        ::SetSecurityDescriptorDacl(&read_only, TRUE, acl, FALSE) &&
        ::RegSetKeySecurity(key_.get(), kDacl, &read_only) == ERROR_SUCCESS;
}

ScopedReadOnlyKey::~ScopedReadOnlyKey() {
  if (ok_)
    ::RegSetKeySecurity(key_.get(), kDacl, previous_.data());
}
