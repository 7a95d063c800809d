// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Creating a run's folders before the first note is played.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace ntr {

// A folder of the run is missing and cannot be made, or cannot take files.
// The message names the folder and the reason.
class FolderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Makes sure the save folder (as typed), the instrument folder and the folder
// of every program tag exist, creating every missing level, and that each
// program folder accepts a new file (a probe file is written and removed).
// Existing folders and files are left untouched; nothing is ever deleted.
// An empty save folder is refused: the takes would land in the file system's root.
// Throws FolderError on the first folder that fails.
void PrepareFolders(std::string_view saveFolder, std::string_view instrumentPath,
                    const std::vector<std::string>& programTags);

}  // namespace ntr
