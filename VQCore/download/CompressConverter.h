#pragma once
// Buffered stream filters that package entries pass through: input goes in
// with Put, converted bytes collect in the converter's output buffer until
// the caller takes them out.

#include "common/Buffer.h"

#include <cstdint>

namespace Tessar {

class VQCompressConverter {
public:
    VQCompressConverter() = default;
    VQCompressConverter(const VQCompressConverter&) = delete;
    VQCompressConverter& operator=(const VQCompressConverter&) = delete;

    virtual bool IsCodec() const = 0;
    // Takes as much input as the output buffer has room for; consumed tells
    // how much. A full buffer may consume nothing and still succeed.
    virtual bool Put(const unsigned char* input, uint32_t count, uint32_t& consumed) = 0;
    // Flushes the end of the stream into the output buffer; call again
    // while it produces output.
    virtual bool Finish() = 0;
    virtual uint32_t Available() const = 0;
    // Copies up to count output bytes out and moves the rest to the front.
    virtual bool Take(unsigned char* destination, uint32_t count) = 0;
    virtual const unsigned char* GetOutput(uint32_t& size) const = 0;
    virtual void ClearOutput() = 0;
    // Starts a new stream.
    virtual bool Reset() = 0;
    virtual ~VQCompressConverter() = default;
};

// The output buffer shared by the converters: a fixed block and its filled
// size.
class VQConverterOutput {
public:
    explicit VQConverterOutput(uint32_t capacity) : m_block(capacity) {}

    uint32_t Capacity() const { return m_block.size; }
    uint32_t Filled() const { return m_filled; }
    uint32_t FreeRoom() const { return m_block.size - m_filled; }
    unsigned char* Data() { return m_block.data; }
    const unsigned char* Data() const { return m_block.data; }
    unsigned char* End() { return m_block.data + m_filled; }
    // Bytes written straight into End() by the caller.
    void Grow(uint32_t count) { m_filled += count; }
    uint32_t Append(const unsigned char* bytes, uint32_t count);
    bool Take(unsigned char* destination, uint32_t count);
    void Clear() { m_filled = 0; }

private:
    VQBuffer<unsigned char> m_block;
    uint32_t m_filled = 0;
};

// Id 0: bytes stored as they are.
class VQRawConverter : public VQCompressConverter {
public:
    static constexpr uint32_t kBufferSize = 102400;

    VQRawConverter() : m_output(kBufferSize) {}

    bool IsCodec() const override { return false; }
    bool Put(const unsigned char* input, uint32_t count, uint32_t& consumed) override;
    bool Finish() override { return true; }
    uint32_t Available() const override { return m_output.Filled(); }
    bool Take(unsigned char* destination, uint32_t count) override { return m_output.Take(destination, count); }
    const unsigned char* GetOutput(uint32_t& size) const override;
    void ClearOutput() override { m_output.Clear(); }
    bool Reset() override;

private:
    VQConverterOutput m_output;
};

}  // namespace Tessar
