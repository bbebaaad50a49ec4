#ifndef CHANNEL_WRITE_GUARD_H_
#define CHANNEL_WRITE_GUARD_H_

// Keeps everything but this program's own code off the channel's output:
// once installed, a WriteFile to the channel's output handle fails without
// writing when it comes from another module, or when it would start a frame
// longer than the extension accepts. Writes to other handles are untouched.
//
// Install once, right after DetachStdHandles. False when the guard is
// already in place or WriteFile cannot be intercepted.
[[nodiscard]] bool InstallWriteGuard();

#endif  // CHANNEL_WRITE_GUARD_H_
