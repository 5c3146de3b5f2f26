#include "common/HttpReply.h"

#include "common/HttpSocket.h"

#include <cstring>

namespace Tessar {

namespace {

const int kReceiveBlock = 4096;

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(const std::string& a, const char* b) {
    size_t n = strlen(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return std::string();
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A coding list ("identity", "identity, identity") that leaves the body as
// it is; an empty list is none of the codings a server may name.
bool IsIdentityCoding(const std::string& value) {
    size_t begin = 0;
    for (;;) {
        size_t comma = value.find(',', begin);
        std::string coding = Trim(value.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin));
        if (!EqualsNoCase(coding, "identity"))
            return false;
        if (comma == std::string::npos)
            return true;
        begin = comma + 1;
    }
}

}  // namespace

const std::string* VQHttpReplyHead::Find(const char* name) const {
    for (const auto& field : fields) {
        if (EqualsNoCase(field.first, name))
            return &field.second;
    }
    return nullptr;
}

size_t FindReplyHeadEnd(const char* data, size_t length) {
    static const char kEnd[] = "\r\n\r\n";
    for (size_t i = 0; i + 4 <= length; ++i) {
        if (memcmp(data + i, kEnd, 4) == 0)
            return i + 4;
    }
    return std::string::npos;
}

bool ParseHttpReplyHead(const char* data, size_t length, VQHttpReplyHead& head) {
    std::string text(data, length);
    size_t lineEnd = text.find('\n');
    std::string statusLine = text.substr(0, lineEnd);
    if (statusLine.compare(0, 5, "HTTP/") != 0)
        return false;
    size_t blank = statusLine.find(' ');
    if (blank == std::string::npos || blank + 4 > statusLine.size())
        return false;
    const char* code = statusLine.c_str() + blank + 1;
    if (!IsDigit(code[0]) || !IsDigit(code[1]) || !IsDigit(code[2]) || IsDigit(code[3]))
        return false;
    head.status = static_cast<uint32_t>((code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0'));
    head.fields.clear();
    while (lineEnd != std::string::npos) {
        size_t begin = lineEnd + 1;
        lineEnd = text.find('\n', begin);
        std::string line = text.substr(begin, lineEnd == std::string::npos ? std::string::npos : lineEnd - begin);
        size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0)
            continue;
        head.fields.emplace_back(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)));
    }
    return true;
}

bool ParseDecimalUInt64(const std::string& text, uint64_t& value) {
    if (text.empty())
        return false;
    uint64_t result = 0;
    for (char c : text) {
        if (!IsDigit(c))
            return false;
        uint64_t digit = static_cast<uint64_t>(c - '0');
        if (result > (UINT64_MAX - digit) / 10)
            return false;
        result = result * 10 + digit;
    }
    value = result;
    return true;
}

bool ParseContentRange(const std::string& value, VQContentRange& range) {
    std::string text = Trim(value);
    size_t blank = text.find(' ');
    if (blank == std::string::npos || !EqualsNoCase(text.substr(0, blank), "bytes"))
        return false;
    std::string rest = Trim(text.substr(blank + 1));
    size_t dash = rest.find('-');
    size_t slash = rest.find('/');
    if (dash == std::string::npos || slash == std::string::npos || dash > slash)
        return false;
    VQContentRange parsed;
    if (!ParseDecimalUInt64(rest.substr(0, dash), parsed.first) ||
        !ParseDecimalUInt64(rest.substr(dash + 1, slash - dash - 1), parsed.last) || parsed.first > parsed.last)
        return false;
    std::string total = rest.substr(slash + 1);
    if (total == "*") {
        parsed.totalKnown = false;
    } else {
        if (!ParseDecimalUInt64(total, parsed.total) || parsed.last >= parsed.total)
            return false;
        parsed.totalKnown = true;
    }
    range = parsed;
    return true;
}

bool ReceiveReplyHead(VQHttpSocket& socket, VQHttpReplyHead& head, std::string& body) {
    std::string received;
    char block[kReceiveBlock];
    for (;;) {
        int n = socket.Receive(block, kReceiveBlock);
        if (n <= 0)
            return false;
        // Only the new bytes and the three before them can complete the end mark.
        size_t from = received.size() >= 3 ? received.size() - 3 : 0;
        received.append(block, static_cast<size_t>(n));
        size_t end = FindReplyHeadEnd(received.data() + from, received.size() - from);
        if (end != std::string::npos) {
            end += from;
            if (end > kMaxReplyHeadBytes)
                return false;
            body.assign(received, end, std::string::npos);
            return ParseHttpReplyHead(received.data(), end, head);
        }
        if (received.size() > kMaxReplyHeadBytes)
            return false;
    }
}

bool IsMatchingRangeReply(const VQHttpReplyHead& head, uint64_t first, uint64_t count, uint64_t total) {
    if (head.status != 206 || count == 0 || head.Find("Content-Range") == nullptr)
        return false;
    // Every field of a name counts, not only the first: a head may repeat
    // one with another value further down.
    for (const auto& field : head.fields) {
        const std::string& value = field.second;
        if (EqualsNoCase(field.first, "Content-Range")) {
            VQContentRange range;
            if (!ParseContentRange(value, range) || range.first != first || range.last != first + count - 1 ||
                (range.totalKnown && range.total != total))
                return false;
        } else if (EqualsNoCase(field.first, "Transfer-Encoding") || EqualsNoCase(field.first, "Content-Encoding")) {
            // The body must be the file's bytes as they stand: no chunk
            // framing, no compression.
            if (!IsIdentityCoding(value))
                return false;
        } else if (EqualsNoCase(field.first, "Content-Length")) {
            uint64_t length = 0;
            if (!ParseDecimalUInt64(value, length) || length != count)
                return false;
        }
    }
    return true;
}

}  // namespace Tessar
