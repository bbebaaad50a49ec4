#include "host_functions/file_ops.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host_functions/file_digest.h"
#include "host_functions/update_file.h"
#include "utils/scoped_handle.h"

namespace {

class InstallFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("tb_install_files_" + std::to_string(::GetTickCount()));
    ASSERT_TRUE(std::filesystem::create_directory(folder_));
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::wstring Write(const std::wstring& name, std::string_view bytes) {
    const std::wstring path = (folder_ / name).wstring();
    EXPECT_TRUE(WriteWholeFile(path, bytes));
    return path;
  }

  std::filesystem::path folder_;
};

TEST_F(InstallFilesTest, ARunningDestinationIsSetAsideAndRestoredWhenTheCopyFails) {
  const std::wstring source = Write(L"new.exe", "new");
  const std::wstring destination = (folder_ / L"tabbridge.exe").wstring();
  ASSERT_TRUE(::CopyFileW(GetRunningExePath().c_str(), destination.c_str(), TRUE));
  const std::optional<std::string> old_digest = Md5FileText(destination);
  // Mapped as an image, as a running executable is: it cannot be deleted,
  // only renamed.
  unique_handle running;
  {
    unique_handle file(::CreateFileW(destination.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    running.reset(
        ::CreateFileMappingW(file.get(), nullptr, PAGE_READONLY | SEC_IMAGE, 0, 0, nullptr));
  }
  ASSERT_TRUE(running);
  ASSERT_FALSE(::DeleteFileW(destination.c_str()));

  EXPECT_FALSE(ReplaceWithCopy((folder_ / L"missing.exe").wstring(), destination));
  EXPECT_EQ(Md5FileText(destination), old_digest);

  ASSERT_TRUE(ReplaceWithCopy(source, destination));
  EXPECT_EQ(ReadWholeFile(destination), "new");
  std::vector<std::wstring> set_aside;
  for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
    const std::wstring name = entry.path().filename().wstring();
    if (name.size() > 13 && name.starts_with(L"tabbridge.exe") &&
        name.find_first_not_of(L"0123456789", 13) == std::wstring::npos) {
      set_aside.push_back(entry.path().wstring());
    }
  }
  ASSERT_EQ(set_aside.size(), 1u);
  EXPECT_EQ(Md5FileText(set_aside[0]), old_digest);
}

TEST_F(InstallFilesTest, PathsOfMaxPathCharactersAreRefused) {
  const std::wstring base = (folder_ / L"").wstring();
  const std::wstring longest = Write(std::wstring(MAX_PATH - 1 - base.size(), L'a'), "x");
  const std::wstring too_long = longest + L"b";
  ASSERT_EQ(longest.size(), MAX_PATH - 1u);
  EXPECT_FALSE(ReplaceWithCopy(longest, too_long));
  EXPECT_FALSE(FileExists(too_long));
  EXPECT_TRUE(ReplaceWithCopy(longest, Write(L"short", "y")));
  EXPECT_TRUE(DeletePath(longest));
  EXPECT_FALSE(FileExists(longest));
}

TEST_F(InstallFilesTest, DeletingWhatIsGoneSucceeds) {
  EXPECT_TRUE(DeletePath((folder_ / L"never-there").wstring()));
}

TEST_F(InstallFilesTest, Md5TextOfAFile) {
  EXPECT_EQ(Md5FileText(Write(L"abc", "abc")), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Md5FileText(Write(L"empty", "")), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5FileText((folder_ / L"missing").wstring()), std::nullopt);
}

TEST_F(InstallFilesTest, UpdateFileHoldsTheDecodedBytesAcrossPieces) {
  // 200,001 bytes: several pieces of decoding, then a padded tail.
  std::string bytes;
  std::string text;
  for (int i = 0; i < 66667; ++i) {
    bytes += "\xff\x01\x80";
    text += "/wGA";
  }
  bytes += "Zo";
  text += "Wm8=";
  const std::optional<std::wstring> file = WriteUpdateFile(text, (folder_ / L"x.exe").wstring());
  ASSERT_TRUE(file);
  EXPECT_EQ(ReadWholeFile(*file), bytes);
  EXPECT_TRUE(DeletePath(*file));
}

TEST_F(InstallFilesTest, NoUpdateFileFromBadBase64) {
  const auto temp_files = [] {
    return std::distance(
        std::filesystem::directory_iterator(std::filesystem::temp_directory_path()),
        std::filesystem::directory_iterator());
  };
  const auto before = temp_files();
  for (const char* text : {"QUJDR", "QU*D", ""})
    EXPECT_FALSE(WriteUpdateFile(text, (folder_ / L"x.exe").wstring())) << text;
  EXPECT_EQ(temp_files(), before);
}

}  // namespace
