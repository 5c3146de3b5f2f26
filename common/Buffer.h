#pragma once
// Owning heap block with an element count; used for file contents, HTTP
// bodies, packages and the file cipher.

#include <cstdint>
#include <cstring>

namespace Tessar {

template <typename T>
class VQBuffer {
public:
    explicit VQBuffer(uint32_t initialSize = 0) : size(0), data(nullptr) { Resize(initialSize); }
    virtual ~VQBuffer() {
        delete[] data;
        data = nullptr;
    }

    VQBuffer(const VQBuffer&) = delete;
    VQBuffer& operator=(const VQBuffer&) = delete;
    VQBuffer(VQBuffer&& other) noexcept : size(other.size), data(other.data) {
        other.size = 0;
        other.data = nullptr;
    }
    VQBuffer& operator=(VQBuffer&& other) noexcept {
        if (this != &other) {
            delete[] data;
            size = other.size;
            data = other.data;
            other.size = 0;
            other.data = nullptr;
        }
        return *this;
    }

    // Keeps the first min(old, n) elements; the rest of a grown block is
    // left uninitialised. Resize(0) frees the block.
    void Resize(uint32_t n) {
        if (n == size)
            return;
        T* block = n > 0 ? new T[n] : nullptr;
        if (size > 0 && data != nullptr && block != nullptr)
            std::memmove(block, data, (size < n ? size : n) * sizeof(T));
        delete[] data;
        data = block;
        size = n;
    }

    // Read and written directly by users.
    uint32_t size;
    T* data;
};

}  // namespace Tessar
