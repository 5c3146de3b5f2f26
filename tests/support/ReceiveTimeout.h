#pragma once
// Shortens the WinINet getter's receive time-out for one test, so that a
// stalled server fails in about a second; the old value comes back at the
// end of the scope.

#include "common/HttpGetter.h"

namespace Tessar {
namespace Test {

class VQReceiveTimeout {
public:
    explicit VQReceiveTimeout(DWORD milliseconds) : m_before(SetHttpReceiveTimeout(milliseconds)) {}
    ~VQReceiveTimeout() { SetHttpReceiveTimeout(m_before); }
    VQReceiveTimeout(const VQReceiveTimeout&) = delete;
    VQReceiveTimeout& operator=(const VQReceiveTimeout&) = delete;

private:
    DWORD m_before;
};

}  // namespace Test
}  // namespace Tessar
