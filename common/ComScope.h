#pragma once
// COM in a single-threaded apartment for the life of one scope, on the
// calling thread; released again only when this scope initialised it.

#include <objbase.h>

namespace Tessar {

class VQComScope {
public:
    VQComScope() : m_initialized(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~VQComScope() {
        if (m_initialized)
            ::CoUninitialize();
    }
    VQComScope(const VQComScope&) = delete;
    VQComScope& operator=(const VQComScope&) = delete;

private:
    bool m_initialized;
};

}  // namespace Tessar
