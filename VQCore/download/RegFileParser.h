#pragma once
// The line parser of .reg files. ParseRegFileText splits the text into
// key lines and value lines and reports them to a VQRegFileParser, which
// checks that every value name gets its data and hands key and value
// ranges on to its observer. Ranges point into the parsed text.

#include "VQCore/download/RegFileError.h"

namespace Tessar {

template <typename C>
class VQRegFileObserver {
public:
    virtual ~VQRegFileObserver() = default;
    virtual void OnKey(const C* begin, const C* end) = 0;
    virtual void OnValue(const C* nameBegin, const C* nameEnd, const C* dataBegin, const C* dataEnd) = 0;
};

template <typename C>
class VQResultProcessor {
public:
    virtual ~VQResultProcessor() = default;
};

template <typename C>
class VQRegFileParser : public VQResultProcessor<C> {
public:
    explicit VQRegFileParser(VQRegFileObserver<C>* observer) : m_observer(observer) {}

    // Each throws VQRegParseError(kRegValueDataMissing) when a value name
    // is left without data or data comes without a name.
    virtual void OnKeyLine(const C* begin, const C* end) {
        Require(m_dataSeen);
        m_observer->OnKey(begin, end);
    }
    virtual void OnValueName(const C* begin, const C* end) {
        Require(m_dataSeen);
        m_nameBegin = begin;
        m_nameEnd = end;
        m_dataSeen = false;
    }
    virtual void OnValueData(const C* begin, const C* end) {
        Require(!m_dataSeen);
        m_dataSeen = true;
        m_observer->OnValue(m_nameBegin, m_nameEnd, begin, end);
    }

private:
    static void Require(bool condition) {
        if (!condition)
            throw VQRegParseError(kRegValueDataMissing);
    }

    const C* m_nameBegin = nullptr;
    const C* m_nameEnd = nullptr;
    VQRegFileObserver<C>* m_observer;
    bool m_dataSeen = true;
};

// Lines end with CR LF or LF. The first line (the header) is skipped, as
// are blank lines, comment lines (";" or "#" first, after blanks) and
// lines without an "=" outside quotes. A line starting with "[" is a key
// line and must end with "]" (blanks around ignored). A hex or dword value
// continues over the following lines while a line ends with a backslash;
// its data range then still holds the backslashes and line breaks. Name
// and data ranges come without the blanks around the "=".
// False for a null text or sink and for a broken key line; exceptions of
// the sink pass through.
bool ParseRegFileText(const wchar_t* text, VQRegFileParser<wchar_t>* sink);

}  // namespace Tessar
