#ifndef HOST_FUNCTIONS_FILE_DIGEST_H_
#define HOST_FUNCTIONS_FILE_DIGEST_H_

#include <optional>
#include <string>

// The MD5 digest of a file's bytes as 32 lowercase hexadecimal digits; none
// when the file cannot be opened (it is opened with full sharing) or read.
std::optional<std::string> Md5FileText(const std::wstring& path);

#endif  // HOST_FUNCTIONS_FILE_DIGEST_H_
