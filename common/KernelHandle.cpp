#include "common/KernelHandle.h"

namespace Tessar {

DWORD CloseKernelHandle(HANDLE& handle) {
    if (handle != nullptr) {
        if (!::CloseHandle(handle))
            return ::GetLastError();
    }
    handle = nullptr;
    return 0;
}

void VQKernelHandle::Reset(HANDLE handle) {
    if (IsValid())
        ::CloseHandle(m_handle);
    m_handle = handle;
}

VQSharedEvent MakeSharedEvent(bool manualReset) {
    return std::make_shared<VQKernelHandle>(::CreateEventW(nullptr, manualReset ? TRUE : FALSE, FALSE, nullptr));
}

HANDLE VQKernelHandle::Release() {
    HANDLE handle = m_handle;
    m_handle = nullptr;
    return handle;
}

}  // namespace Tessar
