#pragma once
// A GET into memory that ends by an overall time limit and that its caller
// can stop without waiting for the server: for replies a worker waits for
// from a server that may be hostile (a reply sent a byte every few seconds
// never trips the receive time-out of a single read).
//
// The GET (HttpGetToMemory, with its bounded redirects) runs on a thread of
// its own; the caller waits for it in short steps, asking its stop question
// and watching the clock, and leaves as soon as either says so. The GET's
// thread is then told to stop and ends on its own between two reads: it
// owns its state and is never terminated. While it waits for a reply's
// head it cannot be woken (WinINet under Wine ignores handles closed from
// another thread), so such a thread ends only when the server lets go or
// its receive time-out passes.

#include "common/Buffer.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace Tessar {

// Longest a download information reply may take, from the first connect
// to its last byte.
const DWORD kHttpDefaultReplyLimitMs = 30000;
// How often the waiting caller asks its stop question.
const DWORD kHttpStopPollMs = 100;

struct VQHttpGetLimits {
    DWORD totalMs = kHttpDefaultReplyLimitMs;
    // Asked on the caller's thread every kHttpStopPollMs; true ends the
    // wait. May be empty.
    std::function<bool()> stopRequested;
};

enum class VQBoundedGetResult { Done, Failed, Stopped, TimedOut };

// Done: the buffer holds the reply and a zero byte after it, and length is
// set, as HttpGetToMemory gives them. Otherwise the buffer is freed.
VQBoundedGetResult HttpGetToMemoryBounded(const std::wstring& url, const VQHttpGetLimits& limits,
                                          VQBuffer<unsigned char>& buffer, uint32_t& length);

}  // namespace Tessar
