#include "host_functions/file_ops.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>

#include "utils/log.h"
#include "utils/log_failure.h"
#include "utils/scoped_handle.h"

namespace {

constexpr DWORD kChunk = 64 * 1024;
// Answers of the shell's delete operation that leave the file gone: done,
// not found, and the "no such file" of older shells.
constexpr int kShellDeleted[] = {0, ERROR_FILE_NOT_FOUND, 1026};

bool Fits(const std::wstring& path) {
  return path.size() < MAX_PATH;
}

bool CopyOver(const std::wstring& source, const std::wstring& destination) {
  return Fits(source) && Fits(destination) &&
         ::CopyFileW(source.c_str(), destination.c_str(), /*bFailIfExists=*/FALSE);
}

bool MoveOver(const std::wstring& source, const std::wstring& destination) {
  return Fits(source) && Fits(destination) &&
         ::MoveFileExW(source.c_str(), destination.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
}

bool ShellDelete(const std::wstring& path) {
  // The shell takes a list ending in an empty name.
  std::wstring from = path;
  from.push_back(L'\0');
  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags =
      FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_FILESONLY | FOF_NORECURSION;
  const int answer = ::SHFileOperationW(&operation);
  LOG(DEBUG) << L"ShellDelete " << path << L" " << answer;
  return !operation.fAnyOperationsAborted &&
         std::find(std::begin(kShellDeleted), std::end(kShellDeleted), answer) !=
             std::end(kShellDeleted);
}

}  // namespace

bool FileExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring GetRunningExePath() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

std::wstring SideName(const std::wstring& path) {
  return path + std::to_wstring(::GetTickCount());
}

bool DeletePath(const std::wstring& path) {
  if (!Fits(path))
    return false;
  if (FolderExists(path))
    return ::RemoveDirectoryW(path.c_str());
  return ::DeleteFileW(path.c_str()) || ShellDelete(path);
}

bool ReplaceWithCopy(const std::wstring& source, const std::wstring& destination) {
  if (::GetFileAttributesW(destination.c_str()) != INVALID_FILE_ATTRIBUTES &&
      !DeletePath(destination)) {
    const std::wstring side = SideName(destination);
    if (!MoveOver(destination, side))
      return false;
    if (!CopyOver(source, destination)) {
      LOG_IF_FALSE(MoveOver(side, destination));
      return false;
    }
    return true;
  }
  return CopyOver(source, destination);
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
  unique_handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return std::nullopt;
  std::string content;
  char chunk[kChunk];
  DWORD read = 0;
  while (::ReadFile(file.get(), chunk, kChunk, &read, nullptr)) {
    if (read == 0)
      return content;
    content.append(chunk, read);
  }
  return std::nullopt;
}

bool WriteWholeFile(const std::wstring& path, std::string_view bytes) {
  unique_handle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return false;
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(std::min<size_t>(bytes.size(), kChunk));
    if (!::WriteFile(file.get(), bytes.data(), size, &written, nullptr) || written == 0)
      return false;
    bytes.remove_prefix(written);
  }
  return true;
}
