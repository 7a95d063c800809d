// SPDX-License-Identifier: MIT
#pragma once
// Writing a file whole or not at all. The content goes to a new temporary
// file beside the target (the same folder, so the final rename never crosses
// file systems) and then replaces the target in one rename: a reader, or a
// program killed meanwhile, finds the old file or the new one, never half of
// either. A write that fails removes its temporary file and leaves the target
// as it was. Any thread; two writes of one target at once are the caller's
// to avoid.

#include <filesystem>
#include <functional>
#include <string_view>

#include "quendal/wav_export.h"

namespace quendal {

// A fresh temporary name beside `target`: ".<target's name>.<process id>-<12
// hex digits>.tmp". The process id lets a clean-up tell a file a running
// program is still writing from one a killed program left.
QUENDAL_WAV_API std::filesystem::path TemporaryPathBeside(const std::filesystem::path& target);

// Whether `fileName` (a name, not a path) is one TemporaryPathBeside makes;
// `process`, when given, receives the process id in it.
QUENDAL_WAV_API bool IsTemporaryFileName(std::string_view fileName, long* process = nullptr);

// Renames a complete temporary file onto `target`, keeping the permissions of
// the file it replaces. Throws FileAccessError; the temporary file is then
// left for the caller.
QUENDAL_WAV_API void ReplaceWithTemporary(const std::filesystem::path& temporary, const std::filesystem::path& target);

// write(temporary) creates the temporary file and fills it, throwing when it
// cannot; the file then replaces `target`. On any failure the temporary file
// is removed, `target` is untouched and the exception passes on (a failing
// rename as FileAccessError).
QUENDAL_WAV_API void WriteFileAtomically(const std::filesystem::path& target,
                                         const std::function<void(const std::filesystem::path&)>& write);

// The same for content held in memory; throws FileAccessError.
QUENDAL_WAV_API void WriteFileAtomically(const std::filesystem::path& target, std::string_view content);

}  // namespace quendal
