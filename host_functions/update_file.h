#ifndef HOST_FUNCTIONS_UPDATE_FILE_H_
#define HOST_FUNCTIONS_UPDATE_FILE_H_

#include <optional>
#include <string>
#include <string_view>

// Decodes the base64 `content` into a new file of the temporary folder, or
// when none can be made there, beside `installed_exe` under its side name.
// The text is decoded piece by piece, so a large update never exists twice
// in memory. None, and nothing written, when the text is not base64 or not
// every byte reaches the file.
std::optional<std::wstring> WriteUpdateFile(std::string_view content,
                                            const std::wstring& installed_exe);

#endif  // HOST_FUNCTIONS_UPDATE_FILE_H_
