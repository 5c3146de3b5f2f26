#pragma once
// Owns one COM interface pointer and releases it.

#include <unknwn.h>

namespace Tessar {

template <typename T>
class VQComPtr {
public:
    VQComPtr() = default;
    ~VQComPtr() { Reset(); }
    VQComPtr(const VQComPtr&) = delete;
    VQComPtr& operator=(const VQComPtr&) = delete;

    T* Get() const { return m_pointer; }
    T* operator->() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }

    // Releases the pointer held before; for "out" parameters of COM calls.
    T** Receive() {
        Reset();
        return &m_pointer;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
    void Reset() {
        if (m_pointer != nullptr) {
            m_pointer->Release();
            m_pointer = nullptr;
        }
    }

private:
    T* m_pointer = nullptr;
};

}  // namespace Tessar
