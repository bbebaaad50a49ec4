#ifndef CHANNEL_STD_HANDLES_H_
#define CHANNEL_STD_HANDLES_H_

#include <windows.h>

#include "channel/native_message.h"

// The process's original standard input and output become the channel's own;
// the process-wide standard handles are cleared so that nothing else in the
// process finds them.
void DetachStdHandles();
void CloseChannelHandles();
HANDLE ChannelInputHandle();
HANDLE ChannelOutputHandle();

// The channel's stream over the detached handles.
class StdChannelStream : public NativeMessage::Stream {
 public:
  int Read(void* buffer, size_t size) override;
  int Write(const void* data, size_t size) override;
  void Flush() override;
};

#endif  // CHANNEL_STD_HANDLES_H_
