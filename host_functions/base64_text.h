#ifndef HOST_FUNCTIONS_BASE64_TEXT_H_
#define HOST_FUNCTIONS_BASE64_TEXT_H_

#include <string_view>

// Standard base64 (RFC 4648 alphabet) that decodes to at least one byte: a
// positive multiple of 4 characters, "=" only as the last one or two. Checked
// whole before any part is decoded, so that a text decoded in pieces is taken
// or refused as a whole.
bool IsBase64Text(std::string_view text);

#endif  // HOST_FUNCTIONS_BASE64_TEXT_H_
