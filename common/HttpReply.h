#pragma once
// The head of an HTTP reply: reading it from a socket, its status and
// fields, and the checks the range downloader makes on it.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Tessar {

class VQHttpSocket;

// A head longer than this is not taken.
const size_t kMaxReplyHeadBytes = 64 * 1024;

struct VQHttpReplyHead {
    uint32_t status = 0;
    // Names and values as sent, values without surrounding blanks.
    std::vector<std::pair<std::string, std::string>> fields;

    // The value of the first field of that name, compared without regard
    // to case; null when there is none.
    const std::string* Find(const char* name) const;
};

struct VQContentRange {
    uint64_t first = 0;
    uint64_t last = 0;
    bool totalKnown = false;  // false for "/*"
    uint64_t total = 0;
};

// The offset just past the empty line that ends the head, or npos.
size_t FindReplyHeadEnd(const char* data, size_t length);
// The status line must be "HTTP/" version, a blank and three digits.
bool ParseHttpReplyHead(const char* data, size_t length, VQHttpReplyHead& head);
// Decimal digits only, at least one, no overflow.
bool ParseDecimalUInt64(const std::string& text, uint64_t& value);
// "bytes first-last/total" or "bytes first-last/*", with first <= last.
bool ParseContentRange(const std::string& value, VQContentRange& range);

// Receives blocks until the head is complete and parses it; the bytes
// that came after it (the start of the body) are left in body. False on a
// receive error, a close, a head over kMaxReplyHeadBytes or a bad head.
bool ReceiveReplyHead(VQHttpSocket& socket, VQHttpReplyHead& head, std::string& body);

// The reply to "Range: bytes=first-(first+count-1)" of a file of the total
// size: status 206, a Content-Range of exactly those bytes (and that
// total, unless "*"), a body sent as it stands (every Transfer-Encoding and
// Content-Encoding field, when there is one, says "identity": no chunk
// framing, no compression), and a Content-Length, when given, of count.
// Every field of these names is checked, not only the first.
bool IsMatchingRangeReply(const VQHttpReplyHead& head, uint64_t first, uint64_t count, uint64_t total);

}  // namespace Tessar
