#include "host_functions/file_ops.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host_functions/file_digest.h"
#include "utils/scoped_handle.h"

namespace {

class InstallFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(std::filesystem::create_directory(folder_)); }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::wstring Write(const std::wstring& name, std::string_view bytes) {
    EXPECT_TRUE(WriteWholeFile(folder_ + name, bytes));
    return folder_ + name;
  }

  const std::wstring folder_ = std::filesystem::temp_directory_path().wstring() +
                               L"tb_install_files_" + std::to_wstring(::GetTickCount()) + L"\\";
};

TEST_F(InstallFilesTest, ARunningDestinationIsSetAsideAndRestoredWhenTheCopyFails) {
  const std::wstring destination = folder_ + L"tabbridge.exe";
  ASSERT_TRUE(::CopyFileW(GetRunningExePath().c_str(), destination.c_str(), TRUE));
  const std::optional<std::string> old_digest = Md5FileText(destination);
  // Mapped as an image, as a running executable is: it can be renamed, not deleted.
  unique_handle file(::CreateFileW(destination.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
  unique_handle running(
      ::CreateFileMappingW(file.get(), nullptr, PAGE_READONLY | SEC_IMAGE, 0, 0, nullptr));
  file.reset();
  ASSERT_TRUE(running);

  EXPECT_FALSE(ReplaceWithCopy(folder_ + L"missing.exe", destination));
  EXPECT_EQ(Md5FileText(destination), old_digest);
  ASSERT_TRUE(ReplaceWithCopy(Write(L"new.exe", "new"), destination));
  EXPECT_EQ(ReadWholeFile(destination), "new");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 3);
}

TEST_F(InstallFilesTest, PathsOfMaxPathCharactersAreRefused) {
  const std::wstring longest = Write(std::wstring(MAX_PATH - 1 - folder_.size(), L'a'), "x");
  EXPECT_FALSE(ReplaceWithCopy(longest, longest + L"b"));
  EXPECT_FALSE(FileExists(longest + L"b"));
  EXPECT_TRUE(ReplaceWithCopy(longest, Write(L"short", "y")));
  EXPECT_TRUE(DeletePath(longest));
  EXPECT_TRUE(DeletePath(longest)) << "what is gone counts as deleted";
}

}  // namespace
