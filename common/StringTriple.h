#pragma once
// Three wide strings in one record; the machine identity keeps a network
// card in it as (service name, description, connection name).

#include <string>

namespace Tessar {

struct VQStringTriple {
    std::wstring first;
    std::wstring second;
    std::wstring third;
};

}  // namespace Tessar
