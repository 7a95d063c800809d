// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_support.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "engine/events/midi_messages.h"
#include "engine/events/note_names.h"
#include "engine/takes/sample_paths.h"

namespace ntr::testing {

TempDir::TempDir() {
  std::random_device random;
  for (;;) {
    path_ = std::filesystem::temp_directory_path() / ("ntr-engine-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

std::uint32_t LittleEndian32(const std::string& bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes.at(offset + i));
  return value;
}

std::vector<std::string> FilesBelow(const std::filesystem::path& folder) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(entry.path().lexically_relative(folder).generic_string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '/', kPathSeparator);
  return path;
}

Rig::Rig() {
  settings.saveFolder = dir / "SAMPLES";
  settings.instrumentName = "My Piano";
  settings.format = {22050, 16, 1};
  controller.AddObserver(&observer);
  fakes::EndSoundAtNoteOff(recorder, midi);
}

Rig::~Rig() { controller.RemoveObserver(&observer); }

void Rig::AddRows(const std::vector<int>& notes, int durationMs, int decayMs) {
  for (const int note : notes) {
    events.AppendRow({NoteName(note), "100", "1", std::to_string(durationMs), std::to_string(decayMs),
                      std::to_string(note)});
  }
}

void Rig::GeneratePrograms(const std::string& programList) {
  EventSelection selection;  // nothing selected: the rows stay, the slots are parsed
  selection.programList = programList;
  controller.GenerateEvents(selection, false);
  settings.programList = programList;
}

std::vector<int> Rig::NotesOn() const {
  std::vector<int> notes;
  for (const auto& m : midi.sent) {
    if ((midi::StatusByte(m.message) & 0xF0) == 0x90) notes.push_back(midi::DataByte1(m.message));
  }
  return notes;
}

std::vector<int> Rig::Programs() const {
  std::vector<int> programs;
  for (const auto& m : midi.sent) {
    if ((midi::StatusByte(m.message) & 0xF0) == 0xC0) programs.push_back(midi::DataByte1(m.message));
  }
  return programs;
}

std::string Rig::InstrumentFolder() const { return (dir.Path() / "SAMPLES" / "My_Piano").string(); }

}  // namespace ntr::testing
