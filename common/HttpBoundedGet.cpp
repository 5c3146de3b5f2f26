#include "common/HttpBoundedGet.h"

#include "common/HttpGetter.h"
#include "common/KernelHandle.h"

#include <atomic>
#include <new>
#include <utility>

namespace Tessar {

namespace {

// Shared by the caller and the GET's thread; the last of the two to let go
// frees it. The thread touches nothing but this record.
struct BoundedGet {
    std::wstring url;
    VQKernelHandle stop;  // manual-reset: the caller has left
    VQBuffer<unsigned char> buffer;
    uint32_t length = 0;
    std::atomic<bool> ok{false};
    std::atomic<long> references{2};

    void Release() {
        if (references.fetch_sub(1) == 1)
            delete this;
    }
};

DWORD WINAPI BoundedGetThread(void* argument) {
    BoundedGet* get = static_cast<BoundedGet*>(argument);
    get->ok = HttpGetToMemory(get->url, get->buffer, get->length, get->stop.Get());
    get->Release();
    return 0;
}

}  // namespace

VQBoundedGetResult HttpGetToMemoryBounded(const std::wstring& url, const VQHttpGetLimits& limits,
                                          VQBuffer<unsigned char>& buffer, uint32_t& length) {
    buffer.Resize(0);
    BoundedGet* get = new (std::nothrow) BoundedGet;
    if (get == nullptr)
        return VQBoundedGetResult::Failed;
    get->url = url;
    get->stop.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    VQKernelHandle thread;
    if (get->stop.IsValid())
        thread.Reset(CreateThread(nullptr, 0, &BoundedGetThread, get, 0, nullptr));
    if (!thread.IsValid()) {
        delete get;
        return VQBoundedGetResult::Failed;
    }
    const DWORD start = GetTickCount();
    VQBoundedGetResult result = VQBoundedGetResult::Failed;
    for (;;) {
        const DWORD wait = WaitForSingleObject(thread.Get(), kHttpStopPollMs);
        if (wait == WAIT_OBJECT_0) {
            if (get->ok) {
                buffer = std::move(get->buffer);
                length = get->length;
                result = VQBoundedGetResult::Done;
            }
            break;
        }
        if (wait != WAIT_TIMEOUT)
            break;
        if (limits.stopRequested && limits.stopRequested()) {
            result = VQBoundedGetResult::Stopped;
            break;
        }
        if (GetTickCount() - start >= limits.totalMs) {
            result = VQBoundedGetResult::TimedOut;
            break;
        }
    }
    // Whatever the thread still does, it does without this caller.
    SetEvent(get->stop.Get());
    get->Release();
    return result;
}

}  // namespace Tessar
