#pragma once
// The failures of the .reg import and the registry undo data. Loading and
// registry failures are std::runtime_error; parse failures are
// VQRegParseError, a plain std::exception with a fixed text.

#include <cstdint>
#include <exception>

namespace Tessar {

extern const char kRegLoadFailed[];        // "Load file failed"
extern const char kRegWrongFormat[];       // "Wrong file format"
extern const char kRegParsingFailed[];     // "Parsing failed."
extern const char kRegKeysListEmpty[];     // "Keys list is empty"
extern const char kRegValueDataMissing[];  // "Value data not found for founded value name"

class VQRegParseError : public std::exception {
public:
    explicit VQRegParseError(const char* message) : m_message(message) {}
    const char* what() const noexcept override { return m_message; }

private:
    const char* m_message;
};

// Throws std::runtime_error "Operate registry failed(<error>)".
[[noreturn]] void ThrowRegistryFailure(uint32_t error);

}  // namespace Tessar
