#pragma once
// The peer-to-peer engine's start: the engine loaded and its session opened
// on the download folder (made first), with the seeds of the last run, on
// a thread of its own (loading the engine takes longer than a frame);
// peer-to-peer downloads wait for it. Later calls do nothing. The start-up
// calls it once the first page is on screen, or before the download list
// when that list starts its downloads itself (AutoStartUndone). UI thread.

namespace Tessar {

void StartPeerToPeer();

}  // namespace Tessar
