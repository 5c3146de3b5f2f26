#pragma once
// Owns one VARIANT: empty on construction, cleared on destruction.

#include <oaidl.h>
#include <oleauto.h>

namespace Tessar {

class VQVariant {
public:
    VQVariant() { ::VariantInit(&m_value); }
    ~VQVariant() { ::VariantClear(&m_value); }
    VQVariant(const VQVariant&) = delete;
    VQVariant& operator=(const VQVariant&) = delete;

    VARIANT* Get() { return &m_value; }
    const VARIANT* Get() const { return &m_value; }

private:
    VARIANT m_value;
};

}  // namespace Tessar
