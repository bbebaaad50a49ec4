#ifndef CHANNEL_NATIVE_MESSAGE_H_
#define CHANNEL_NATIVE_MESSAGE_H_

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "channel/request_params.h"

// The extension channel: length-prefixed UTF-8 JSON on the process's original
// standard input and output. The reader runs on its own thread and hands each
// message to the user-interface thread; writers may call from any thread.
class NativeMessage {
 public:
  // Frame length prefix: 32-bit, little-endian.
  static constexpr size_t kHeaderSize = 4;
  // Outgoing payloads must stay below 1 MiB.
  static constexpr size_t kMaxOutgoingPayload = 0xFFFFF;

  class ClientDelegate;

  // The request operations, in fixed slot order. Every slot defaults to doing
  // nothing so that implementers override only what they serve.
  class Delegate {
   public:
    virtual ~Delegate() = default;
    virtual bool CrxCreate(const CreateParams& params) { return false; }
    virtual bool CrxAttach(const AttachParams& params) { return false; }
    virtual bool CrxDetach(int frame_id) { return false; }
    virtual bool CrxActivate(int frame_id, bool active) { return false; }
    virtual bool CrxNavigate(const NavigateParams& params) { return false; }
    virtual bool CrxReSize(int frame_id, int width, int height) { return false; }
    virtual bool CrxBack(int frame_id) { return false; }
    virtual bool CrxForward(int frame_id) { return false; }
    virtual bool CrxReload(int frame_id) { return false; }
    virtual bool CrxSetEmulation(int frame_id, int session_id, int mode) { return false; }
    virtual bool CrxPing(const PingParams& params) { return false; }
    virtual bool CrxClose(int frame_id, int session_id) { return false; }
    virtual bool QuitExtension() { return false; }
    virtual bool CrxCheckVersion(const CheckVersionParams& params) { return false; }
    virtual bool CrxUpdate(const UpdateParams& params) { return false; }
    virtual bool CrxFocus(int frame_id) { return false; }
    virtual bool CrxPrint(int frame_id) { return false; }
    virtual bool CrxIEOptions(int frame_id, int session_id) { return false; }
    virtual bool CrxGroupPolicies(int frame_id, int session_id) { return false; }
    virtual bool CrxDeviceId(int frame_id, int session_id) { return false; }
    virtual bool CrxGetDefaultEmulation(int session_id) { return false; }
    // A request was dropped for want of memory; any thread. Not a request slot.
    virtual void OnRequestDropped(std::string_view where) {}
  };

  // The byte stream under the channel.
  class Stream {
   public:
    virtual ~Stream() = default;
    // Reads up to `size` bytes; returns the count, 0 at end of input, or a
    // negative value on failure. Blocks until something arrives.
    virtual int Read(void* buffer, size_t size) = 0;
    // Writes up to `size` bytes; returns the count written (possibly fewer) or
    // a negative value on failure.
    virtual int Write(const void* data, size_t size) = 0;
    virtual void Flush() {}
  };

  // Runs callables on the user-interface thread.
  class CallRunner {
   public:
    virtual ~CallRunner() = default;
    // Queues the callable and returns at once; false when it cannot be queued.
    virtual bool PostCall(std::function<void()> call) = 0;
    // Runs the callable on the user-interface thread and waits for it.
    virtual void SendCall(const std::function<void()>& call) = 0;
  };

  NativeMessage(Delegate* delegate, Stream* stream, CallRunner* runner);
  virtual ~NativeMessage();
  NativeMessage(const NativeMessage&) = delete;
  NativeMessage& operator=(const NativeMessage&) = delete;

  // Reads, frames and hands over messages until the input ends (then calls the
  // delegate's QuitExtension on the user-interface thread and returns) or the
  // stop flag is seen after a message (returns without that call).
  void ReadLoop();

  // Reads one framed message into `payload`; false at the end of input, on a
  // length of zero or above 2^31 - 1, or when there is no memory to keep it.
  // Memory grows with the bytes that arrive, never with the length claimed.
  [[nodiscard]] bool ReadFrame(std::string* payload);

  // Frames and writes one text; false when it was not sent (empty, too long,
  // or the stream failed). Safe to call from any thread: frames never
  // interleave.
  [[nodiscard]] bool WriteMessage(std::string_view text);

  void Stop() { stop_flag_.store(1); }
  bool IsStopped() const { return stop_flag_.load() != 0; }
  Delegate* delegate() const { return delegate_; }

 private:
  enum class ReadResult { kOk, kEnd };
  [[nodiscard]] ReadResult ReadExactly(void* buffer, size_t size);
  [[nodiscard]] ReadResult ReadPayload(uint32_t length, std::string* payload);

  Delegate* const delegate_;
  Stream* const stream_;
  CallRunner* const runner_;
  std::atomic<int> stop_flag_{0};
  std::mutex write_lock_;
};

#endif  // CHANNEL_NATIVE_MESSAGE_H_
