#include "host_functions/update_file.h"

#include <windows.h>

#include <wincrypt.h>

#include <algorithm>

#include "host_functions/base64_text.h"
#include "host_functions/file_ops.h"
#include "utils/log.h"
#include "utils/scoped_handle.h"

namespace {

// Whole quads, so that every piece decodes on its own.
constexpr size_t kTextPiece = 64 * 1024;
constexpr size_t kBytesPiece = kTextPiece / 4 * 3;

std::optional<std::wstring> NewTempFile() {
  wchar_t folder[MAX_PATH];
  wchar_t file[MAX_PATH];
  const DWORD length = ::GetTempPathW(MAX_PATH, folder);
  if (length == 0 || length >= MAX_PATH || !::GetTempFileNameW(folder, L"", 0, file))
    return std::nullopt;
  wchar_t long_path[MAX_PATH];
  const DWORD long_length = ::GetLongPathNameW(file, long_path, MAX_PATH);
  if (long_length == 0 || long_length >= MAX_PATH)
    return std::nullopt;
  return std::wstring(long_path, long_length);
}

bool DecodeInto(HANDLE file, std::string_view content) {
  BYTE bytes[kBytesPiece];
  for (size_t at = 0; at < content.size(); at += kTextPiece) {
    const std::string_view piece = content.substr(at, kTextPiece);
    DWORD size = kBytesPiece;
    DWORD written = 0;
    if (!::CryptStringToBinaryA(piece.data(), static_cast<DWORD>(piece.size()), CRYPT_STRING_BASE64,
                                bytes, &size, nullptr, nullptr) ||
        !::WriteFile(file, bytes, size, &written, nullptr) || written != size) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<std::wstring> WriteUpdateFile(std::string_view content,
                                            const std::wstring& installed_exe) {
  if (!IsBase64Text(content)) {
    LOG(DEBUG) << L"WriteUpdateFile not base64, " << content.size() << L" characters";
    return std::nullopt;
  }
  const std::wstring path = NewTempFile().value_or(SideName(installed_exe));
  unique_handle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return std::nullopt;
  if (!DecodeInto(file.get(), content)) {
    file.reset();
    (void)DeletePath(path);
    return std::nullopt;
  }
  return path;
}
