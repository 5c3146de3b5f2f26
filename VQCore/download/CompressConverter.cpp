#include "VQCore/download/CompressConverter.h"

#include <algorithm>
#include <cstring>

namespace Tessar {

uint32_t VQConverterOutput::Append(const unsigned char* bytes, uint32_t count) {
    uint32_t n = std::min(count, FreeRoom());
    if (n > 0) {
        std::memcpy(End(), bytes, n);
        m_filled += n;
    }
    return n;
}

bool VQConverterOutput::Take(unsigned char* destination, uint32_t count) {
    uint32_t n = std::min(count, m_filled);
    if (n > 0 && destination == nullptr)
        return false;
    if (n > 0) {
        std::memcpy(destination, m_block.data, n);
        std::memmove(m_block.data, m_block.data + n, m_filled - n);
        m_filled -= n;
    }
    return true;
}

bool VQRawConverter::Put(const unsigned char* input, uint32_t count, uint32_t& consumed) {
    consumed = 0;
    if (count > 0 && input == nullptr)
        return false;
    consumed = m_output.Append(input, count);
    return true;
}

const unsigned char* VQRawConverter::GetOutput(uint32_t& size) const {
    size = m_output.Filled();
    return m_output.Data();
}

bool VQRawConverter::Reset() {
    m_output.Clear();
    return true;
}

}  // namespace Tessar
