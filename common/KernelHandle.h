#pragma once
// Closing and owning kernel handles (events, threads, processes, mappings).

#include <windows.h>

#include <memory>

namespace Tessar {

// Closes the handle in the variable and sets it to null; a variable that
// holds null is just left null. When closing fails the variable keeps the
// handle and the system error code is returned; 0 means success.
DWORD CloseKernelHandle(HANDLE& handle);

// Owns one kernel handle; null and INVALID_HANDLE_VALUE both mean none.
class VQKernelHandle {
public:
    VQKernelHandle() = default;
    explicit VQKernelHandle(HANDLE handle) : m_handle(handle) {}
    ~VQKernelHandle() { Close(); }
    VQKernelHandle(const VQKernelHandle&) = delete;
    VQKernelHandle& operator=(const VQKernelHandle&) = delete;

    HANDLE Get() const { return m_handle; }
    bool IsValid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    // Closes the handle held before, then takes the new one.
    void Reset(HANDLE handle = nullptr);
    // Gives the handle up without closing it.
    HANDLE Release();
    void Close() { Reset(nullptr); }

private:
    HANDLE m_handle = nullptr;
};

// An event shared by its owner and the workers it hands it to: each holds
// the pointer, and the handle is closed when the last of them lets go, so
// a worker its owner stopped waiting for never waits on a closed (or
// reused) handle.
typedef std::shared_ptr<VQKernelHandle> VQSharedEvent;
// Unnamed and unsignalled; the holder holds no handle when the event
// could not be made.
VQSharedEvent MakeSharedEvent(bool manualReset);

}  // namespace Tessar
