// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/level_check.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "engine/note_names.h"
#include "engine/sample_paths.h"

namespace ntr {

namespace {

TakeLevels RecordAndMeasure(EventCapture& capture, const ProbeRequest& probe, std::optional<double> noiseFloorDbfs) {
  struct RemoveAfter {
    const std::string& file;
    ~RemoveAfter() {
      std::error_code ignored;
      std::filesystem::remove(PathFromUtf8(file), ignored);
    }
  } remove{probe.file};
  capture.RecordProbe(probe);
  try {
    return AnalyseTakeFile(probe.file, noiseFloorDbfs);
  } catch (const std::exception& error) {
    throw CaptureError(CaptureStage::Save, std::string("the level check could not measure its recording: ") +
                                               error.what(),
                       probe.file, false);
  }
}

}  // namespace

std::vector<int> TestNoteOrder(const std::vector<int>& notes) {
  std::vector<int> order;
  if (notes.empty()) return order;
  const std::size_t n = notes.size();
  // The middle, then the quarter points and the two ends: different registers first.
  for (const std::size_t at : {n / 2, n / 4, (3 * n) / 4, std::size_t{0}, n - 1}) {
    if (order.size() == kMostTestNotes) break;
    if (std::find(order.begin(), order.end(), notes[at]) == order.end()) order.push_back(notes[at]);
  }
  return order;
}

TakeLevels ProbeNote(EventCapture& capture, const RecordingFormat& format, int note, double noiseFloorDbfs,
                     const std::string& probeFile) {
  return RecordAndMeasure(capture, {note, kTestNoteHoldSeconds, kTestNoteDecaySeconds, format, probeFile},
                          noiseFloorDbfs);
}

LevelCheckResult CheckLevels(EventCapture& capture, const RecordingFormat& format, const std::vector<int>& notes,
                             const std::string& probeFile) {
  LevelCheckResult result;
  // The noise floor: the RMS of the input with no note playing.
  result.noiseFloorDbfs =
      RecordAndMeasure(capture, {std::nullopt, kNoiseFloorSeconds, 0.0, format, probeFile}, std::nullopt).rmsDbfs;
  for (const int note : TestNoteOrder(notes)) {
    const TakeLevels levels = ProbeNote(capture, format, note, result.noiseFloorDbfs, probeFile);
    if (Sounds(levels, result.noiseFloorDbfs)) {
      result.soundingNote = note;
      result.soundingLevels = levels;
      return result;
    }
    result.silentNotes.push_back(note);
  }
  return result;
}

std::string SilentInstrumentMessage(const std::string& where, const std::vector<int>& notesTried) {
  std::string notes;
  for (const int note : notesTried) notes += (notes.empty() ? "" : ", ") + NoteName(note);
  return "The instrument is silent" + where + ": " + (notes.empty() ? std::string("the test note") : notes) +
         " did not rise " + std::to_string(static_cast<int>(kSoundingMarginDb)) +
         " dB above the input's noise floor.\n\nLikely causes: the instrument is switched off or unplugged, the MIDI "
         "device is gone (a USB MIDI interface unplugged drops notes silently), the audio input chosen is not the "
         "one the instrument is connected to, or the levels are down.";
}

}  // namespace ntr
