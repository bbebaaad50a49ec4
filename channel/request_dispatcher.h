#ifndef CHANNEL_REQUEST_DISPATCHER_H_
#define CHANNEL_REQUEST_DISPATCHER_H_

#include <string_view>

class NativeMessage;

// Parses one request and routes it to the channel's delegate by its "action".
// `bytes` is the payload; parsing stops at its first zero byte and after the
// first JSON value. Malformed requests are dropped without an answer; unknown
// actions are answered "unknown" through the channel. A request that runs out
// of memory anywhere on its way is dropped and reported to the delegate's
// OnRequestDropped.
void DispatchRequest(NativeMessage* channel, std::string_view bytes);

#endif  // CHANNEL_REQUEST_DISPATCHER_H_
