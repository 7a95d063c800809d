// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a run's takes go and what they are called. Users' sampler libraries
// rely on these names, so they never change:
//   <save folder>/<instrument>/PATCH_005/PATCH005_C#4.WAV   (program 5)
//   <save folder>/<instrument>/PATCH_XXX/PATCHXXX_C#4.WAV   (no program list)
// With more than one velocity layer or round each take of a note carries its
// velocity in three digits and, with more than one round, its round from 1:
//   PATCH005_C#4_V080.WAV, PATCH005_C#4_V080_R2.WAV
// Paths are UTF-8 text with the platform's separator.

#include <filesystem>
#include <string>
#include <string_view>

#include "engine/events/event_row.h"

namespace ntr {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The program tag of a run without a program list.
inline constexpr std::string_view kSinglePassTag = "XXX";

// The one place where path texts are joined: folder, one separator, name. A
// separator that ends the folder or begins the name is not doubled; an empty
// name gives the folder unchanged.
std::string JoinPath(std::string_view folder, std::string_view name);

// The folder of the run: the save folder joined with the instrument name with
// every blank turned into "_"; then every doubled separator collapses into one
// (one left-to-right pass, so a tripled one leaves two). The save folder is
// used as typed. With an empty instrument name the save folder itself holds
// the program folders. On Windows a leading "\\" (a network share) is kept.
std::string InstrumentPath(std::string_view saveFolder, std::string_view instrumentName);

// The program number with at least three digits: 0 -> "000", 5 -> "005".
std::string ProgramTag(int program);

// <instrument path>/PATCH_<tag>
std::string ProgramFolder(std::string_view instrumentPath, std::string_view programTag);

// <instrument path>/PATCH_<tag>/PATCH<tag>_<take name>.WAV (the take name unchanged).
std::string TargetFile(std::string_view instrumentPath, std::string_view programTag, std::string_view takeName);

// The take name of a row: its note name ("C#4"); for a Suffixed row followed
// by "_V" and the velocity it plays in three digits, and "_R" and its round
// when it has one ("C#4_V080", "C#4_V080_R2").
std::string TakeName(const EventRow& row);

// A name for a take while it is being written: in the target's own folder (so
// renaming it into place never crosses file systems and never needs the current
// directory), unique to this process and to this call, and not yet taken.
std::string TemporaryRecordingPath(std::string_view targetFile);

// True for a file name that TemporaryRecordingPath makes ("NTRXXX-<process>-
// <token>-<sequence>.tmp"); `process` receives the process id in the name.
bool IsTemporaryRecordingName(std::string_view fileName, long* process = nullptr);

// Conversions between the engine's UTF-8 path texts and file-system paths.
std::filesystem::path PathFromUtf8(std::string_view text);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace ntr
