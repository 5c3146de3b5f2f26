#pragma once
// Whole-file reads and writes of the engine's own files (torrent records and
// resume files), by UTF-8 path through the wide API.

#include <libtorrent/add_torrent_params.hpp>

#include <memory>
#include <string>
#include <vector>

namespace Tessar {

bool ReadWholeFile(const std::string& pathUtf8, std::vector<char>* out);
// Written through a temporary file beside it, so a cut write never leaves a
// half file under the name.
bool WriteWholeFile(const std::string& pathUtf8, const char* data, size_t size);
void DeleteFileIfThere(const std::string& pathUtf8);

// Parameters to add the torrent with: those of its resume file when one
// exists and belongs to this torrent, otherwise fresh ones.
libtorrent::add_torrent_params LoadResumeFile(const std::string& resumePathUtf8,
                                              const std::shared_ptr<libtorrent::torrent_info>& info);

// Deletes the files of a torrent's content below folder, then the folders
// that became empty.
void DeleteContentFiles(const std::string& folderUtf8, const libtorrent::torrent_info& info);

}  // namespace Tessar
