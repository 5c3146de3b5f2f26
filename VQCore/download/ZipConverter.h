#pragma once
// zlib-format (RFC 1950) converters of package entries: the encoder packs,
// the decoder unpacks. Both set their stream up on first use.

#include "VQCore/download/CompressConverter.h"

#include <zlib.h>

namespace Tessar {

class VQZipEncoder : public VQCompressConverter {
public:
    static constexpr uint32_t kBufferSize = 524288;

    // A level outside 0-9 counts as 9.
    explicit VQZipEncoder(int level = 9);
    ~VQZipEncoder() override;

    bool IsCodec() const override { return true; }
    bool Put(const unsigned char* input, uint32_t count, uint32_t& consumed) override;
    bool Finish() override;
    uint32_t Available() const override { return m_output.Filled(); }
    bool Take(unsigned char* destination, uint32_t count) override { return m_output.Take(destination, count); }
    const unsigned char* GetOutput(uint32_t& size) const override;
    void ClearOutput() override { m_output.Clear(); }
    bool Reset() override;
    virtual bool Init();
    // Free room at the end of the output buffer.
    virtual unsigned char* GetWriteSpace(uint32_t& size);

protected:
    // One zlib call over the given input into the free room: deflate with
    // the flush value, or inflate for kInflateStep. Returns zlib's result.
    static constexpr int kInflateStep = -1;
    int Step(const unsigned char* input, uint32_t count, uint32_t& consumed, int flush);

    z_stream m_stream;
    bool m_ready = false;   // the stream is set up
    bool m_ended = false;   // the stream's end was produced or seen
    int m_level;
    VQConverterOutput m_output;
};

class VQZipDecoder : public VQZipEncoder {
public:
    VQZipDecoder() = default;
    ~VQZipDecoder() override;

    bool Put(const unsigned char* input, uint32_t count, uint32_t& consumed) override;
    // Produces the output zlib still holds; false when the input ended
    // before the stream did.
    bool Finish() override;
    bool Reset() override;
    bool Init() override;
};

}  // namespace Tessar
