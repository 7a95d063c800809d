// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/prepare_folders.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "engine/takes/sample_paths.h"

namespace ntr {

namespace {

void EnsureFolder(const std::string& folder) {
  const std::filesystem::path path = PathFromUtf8(folder);
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return;
  std::filesystem::create_directories(path, error);
  if (error) {
    throw FolderError("The folder \"" + folder + "\" could not be created: " + error.message() + ".");
  }
  if (!std::filesystem::is_directory(path, error)) {
    throw FolderError("The folder \"" + folder + "\" could not be created: a file of that name is in the way.");
  }
}

// Writing and removing a small file proves that takes can be saved here,
// before the run plays a note.
void ProbeWritable(const std::string& folder) {
  const std::string probe = TemporaryRecordingPath(JoinPath(folder, "probe"));
  const std::filesystem::path path = PathFromUtf8(probe);
  {
    std::ofstream file(path, std::ios::binary);
    if (!file || !(file << "NTR")) {
      throw FolderError("The folder \"" + folder + "\" does not accept new files (is it read-only?).");
    }
  }
  std::error_code error;
  std::filesystem::remove(path, error);
}

}  // namespace

void PrepareFolders(std::string_view saveFolder, std::string_view instrumentPath,
                    const std::vector<std::string>& programTags) {
  if (saveFolder.empty()) {
    throw FolderError("No save folder is given: type the folder that is to receive the samples.");
  }
  EnsureFolder(std::string(saveFolder));
  EnsureFolder(std::string(instrumentPath));
  for (const std::string& tag : programTags) {
    const std::string folder = ProgramFolder(instrumentPath, tag);
    EnsureFolder(folder);
    ProbeWritable(folder);
  }
}

}  // namespace ntr
