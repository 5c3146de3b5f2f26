#pragma once
// The one process-wide object of a class: made on first use (thread-safe
// since C++11) and destroyed at process exit.

namespace Tessar {

template <typename T>
class VQSingleton {
public:
    static T& Instance() {
        static T instance;
        return instance;
    }
};

}  // namespace Tessar
