#ifndef ENGINE_CONFIG_SET_COOKIE_HEADERS_H_
#define ENGINE_CONFIG_SET_COOKIE_HEADERS_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

// A response's Set-Cookie headers come out of WinINet one per call, by
// index (HttpQueryInfoA with HTTP_QUERY_SET_COOKIE).

// Of the reading buffer, one byte less is offered, so that a terminator
// always fits. A longer header ends the reading of its response.
constexpr size_t kSetCookieBufferSize = 4096;

// One query: in, `*length` bytes offered at `buffer`; out, the header's
// length in bytes. On success the library moves `*index` on to the next
// header. False when there is no further header, or it does not fit.
using SetCookieQuery = std::function<bool(uint32_t* index, char* buffer, uint32_t* length)>;

// Reports the headers from index 0 on, in order, until the first query that
// fails; empty headers are skipped.
void ReadSetCookieHeaders(const SetCookieQuery& query,
                          const std::function<void(std::string_view header)>& report);

#endif  // ENGINE_CONFIG_SET_COOKIE_HEADERS_H_
