#pragma once
// End codes of downloads: the results of the HTTP range downloader and of
// the download tasks, reported to the owner with the task's end event.

#include <cstdint>

namespace Tessar {

const uint32_t kDownloadFinished = 0;
// The task's worker could not be started, or waiting for the range
// workers failed.
const uint32_t kDownloadWaitFailed = 1;
const uint32_t kDownloadInfoFailed = 0xE0000003;
const uint32_t kDownloadBadUrl = 0xE0000004;
const uint32_t kDownloadSizeQueryFailed = 0xE0000005;
const uint32_t kDownloadSizeMismatch = 0xE0000006;
const uint32_t kDownloadRangeFailed = 0xE0000007;
const uint32_t kDownloadRecordUnreadable = 0xE0000008;
// The finished file does not match the MD5 of the download information.
const uint32_t kDownloadVerifyFailed = 0xE0000009;
const uint32_t kDownloadCancelled = 0xE000000A;
// The download information names another transport than the task's.
const uint32_t kDownloadOtherTransport = 0xE000000B;
// Peer-to-peer failures.
const uint32_t kDownloadNoSession = 0xE000000C;       // no engine session this run
const uint32_t kDownloadInfoUnusable = 0xE000000D;    // no information, or no Md5, TorrentUrl or URL
const uint32_t kDownloadTorrentFetchFailed = 0xE000000E;
const uint32_t kDownloadTorrentSizeDiffers = 0xE000000F;  // its length is not FileSize
const uint32_t kDownloadTorrentMd5Differs = 0xE0000010;
const uint32_t kDownloadEngineOpenFailed = 0xE0000011;
const uint32_t kDownloadEngineFailed = 0xE0000012;
// A range worker stopped because its run was stopping; also a peer-to-peer
// task whose stop the engine confirmed.
const uint32_t kDownloadStopping = 0x80004004;
// A range worker could not open, seek or write a file, or no worker
// thread could be made.
const uint32_t kDownloadFileFailed = 0x80004005;

// The detail a failed range download gives with 0xE0000007 when the call
// that failed left no Winsock error (one that did gives that error): the
// server's reply was not the part of the file asked for (no 206 with
// exactly those bytes, as from a server that serves no ranges), the value
// of WinINet's ERROR_HTTP_INVALID_SERVER_RESPONSE; the server closed the
// connection before the range was complete, the value of WSAEDISCON; no
// connection could be made, the value of WSAECONNREFUSED.
const uint32_t kRangeReplyUnusable = 12152;
const uint32_t kRangeClosedEarly = 10101;
const uint32_t kRangeConnectFailed = 10061;

// The failures a task counts: each one makes its next start wait longer.
inline bool IsCountedFailure(uint32_t code) {
    return code >= kDownloadInfoFailed && code <= kDownloadVerifyFailed;
}

// The peer-to-peer failures a task counts: each is tried again only while
// the count allows, so a swarm that cannot be joined ends in a message
// instead of an endless round of tries.
inline bool IsCountedPeerToPeerFailure(uint32_t code) {
    return code >= kDownloadInfoUnusable && code <= kDownloadEngineFailed;
}

}  // namespace Tessar
