#include "host_functions/file_digest.h"

#include <windows.h>

#include <wincrypt.h>

#include "utils/scoped_handle.h"

namespace {

constexpr DWORD kChunk = 64 * 1024;
constexpr DWORD kMd5Size = 16;

struct CryptProviderTraits {
  using Handle = HCRYPTPROV;
  static Handle Invalid() { return 0; }
  static bool IsValid(Handle h) { return h != 0; }
  static void Close(Handle h) { ::CryptReleaseContext(h, 0); }
};

struct CryptHashTraits {
  using Handle = HCRYPTHASH;
  static Handle Invalid() { return 0; }
  static bool IsValid(Handle h) { return h != 0; }
  static void Close(Handle h) { ::CryptDestroyHash(h); }
};

}  // namespace

std::optional<std::string> Md5FileText(const std::wstring& path) {
  unique_handle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  UniqueAny<CryptProviderTraits> provider;
  UniqueAny<CryptHashTraits> hash;
  if (!file ||
      !::CryptAcquireContextW(provider.put(), nullptr, nullptr, PROV_RSA_FULL,
                              CRYPT_VERIFYCONTEXT) ||
      !::CryptCreateHash(provider.get(), CALG_MD5, 0, 0, hash.put())) {
    return std::nullopt;
  }
  BYTE chunk[kChunk];
  DWORD read = 0;
  do {
    if (!::ReadFile(file.get(), chunk, kChunk, &read, nullptr) ||
        !::CryptHashData(hash.get(), chunk, read, 0)) {
      return std::nullopt;
    }
  } while (read > 0);
  BYTE digest[kMd5Size];
  DWORD size = kMd5Size;
  if (!::CryptGetHashParam(hash.get(), HP_HASHVAL, digest, &size, 0) || size != kMd5Size)
    return std::nullopt;
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (BYTE byte : digest) {
    text.push_back(kHex[byte >> 4]);
    text.push_back(kHex[byte & 0xF]);
  }
  return text;
}
