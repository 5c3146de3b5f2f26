#include "VQCore/download/ZipConverter.h"

#include <cstring>
#include <new>

namespace Tessar {

namespace {

// The zlib version the stream set-up names; zlib checks its first digit.
const char kZlibVersionText[] = "1.2.3";

// zlib allocates through the program's own allocator.
voidpf ZlibAlloc(voidpf, uInt items, uInt size) {
    return new (std::nothrow) unsigned char[static_cast<size_t>(items) * size];
}

void ZlibFree(voidpf, voidpf block) {
    delete[] static_cast<unsigned char*>(block);
}

void PrepareStream(z_stream& stream) {
    std::memset(&stream, 0, sizeof(stream));
    stream.zalloc = ZlibAlloc;
    stream.zfree = ZlibFree;
    stream.opaque = Z_NULL;
}

}  // namespace

VQZipEncoder::VQZipEncoder(int level) : m_level(level >= 0 && level <= 9 ? level : 9), m_output(kBufferSize) {
    PrepareStream(m_stream);
}

VQZipEncoder::~VQZipEncoder() {
    if (m_ready)
        deflateEnd(&m_stream);
    m_ready = false;
}

bool VQZipEncoder::Init() {
    if (m_ready)
        return true;
    PrepareStream(m_stream);
    m_ready = deflateInit2_(&m_stream, m_level, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY, kZlibVersionText,
                            static_cast<int>(sizeof(z_stream))) == Z_OK;
    m_ended = false;
    return m_ready;
}

int VQZipEncoder::Step(const unsigned char* input, uint32_t count, uint32_t& consumed, int flush) {
    m_stream.next_in = const_cast<Bytef*>(input);
    m_stream.avail_in = count;
    m_stream.next_out = m_output.End();
    m_stream.avail_out = m_output.FreeRoom();
    uint32_t room = m_output.FreeRoom();
    int result = flush == kInflateStep ? inflate(&m_stream, Z_NO_FLUSH) : deflate(&m_stream, flush);
    consumed = count - m_stream.avail_in;
    m_output.Grow(room - m_stream.avail_out);
    m_stream.next_in = Z_NULL;
    m_stream.avail_in = 0;
    return result;
}

bool VQZipEncoder::Put(const unsigned char* input, uint32_t count, uint32_t& consumed) {
    consumed = 0;
    if ((count > 0 && input == nullptr) || !Init() || m_ended)
        return false;
    if (count == 0)
        return true;
    int result = Step(input, count, consumed, Z_NO_FLUSH);
    return result == Z_OK || result == Z_BUF_ERROR;
}

bool VQZipEncoder::Finish() {
    if (!Init())
        return false;
    if (m_ended)
        return true;
    uint32_t consumed = 0;
    int result = Step(nullptr, 0, consumed, Z_FINISH);
    if (result == Z_STREAM_END) {
        m_ended = true;
        return true;
    }
    // Z_BUF_ERROR with a full buffer: the caller empties it and asks again.
    return result == Z_OK || (result == Z_BUF_ERROR && m_output.FreeRoom() == 0);
}

const unsigned char* VQZipEncoder::GetOutput(uint32_t& size) const {
    size = m_output.Filled();
    return m_output.Data();
}

bool VQZipEncoder::Reset() {
    m_output.Clear();
    m_ended = false;
    if (!m_ready)
        return Init();
    return deflateReset(&m_stream) == Z_OK;
}

unsigned char* VQZipEncoder::GetWriteSpace(uint32_t& size) {
    size = m_output.FreeRoom();
    return m_output.End();
}

VQZipDecoder::~VQZipDecoder() {
    // Ended here so that the encoder's destructor does not take it for a
    // deflate stream.
    if (m_ready)
        inflateEnd(&m_stream);
    m_ready = false;
}

bool VQZipDecoder::Init() {
    if (m_ready)
        return true;
    PrepareStream(m_stream);
    m_ready = inflateInit_(&m_stream, kZlibVersionText, static_cast<int>(sizeof(z_stream))) == Z_OK;
    m_ended = false;
    return m_ready;
}

bool VQZipDecoder::Put(const unsigned char* input, uint32_t count, uint32_t& consumed) {
    consumed = 0;
    if ((count > 0 && input == nullptr) || !Init())
        return false;
    if (count == 0)
        return true;
    // Bytes after the end of the stream are not part of it.
    if (m_ended)
        return false;
    int result = Step(input, count, consumed, kInflateStep);
    if (result == Z_STREAM_END)
        m_ended = true;
    return result == Z_OK || result == Z_STREAM_END || result == Z_BUF_ERROR;
}

bool VQZipDecoder::Finish() {
    if (!Init())
        return false;
    if (m_ended)
        return true;
    uint32_t room = m_output.FreeRoom();
    uint32_t consumed = 0;
    int result = Step(nullptr, 0, consumed, kInflateStep);
    if (result == Z_STREAM_END) {
        m_ended = true;
        return true;
    }
    if (result == Z_OK && m_output.FreeRoom() < room)
        return true;
    // No progress: fine only while the buffer is full and must be emptied;
    // otherwise the input stopped short of the stream's end.
    return (result == Z_OK || result == Z_BUF_ERROR) && room == 0;
}

bool VQZipDecoder::Reset() {
    m_output.Clear();
    m_ended = false;
    if (!m_ready)
        return Init();
    return inflateReset(&m_stream) == Z_OK;
}

}  // namespace Tessar
