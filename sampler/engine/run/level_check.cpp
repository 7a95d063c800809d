// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/level_check.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "engine/events/note_names.h"
#include "engine/takes/sample_paths.h"
#include "engine/events/text_numbers.h"

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

double LongestDecaySeconds(const std::vector<EventRow>& rows) {
  std::int64_t longest = 0;
  for (const EventRow& row : rows) {
    if (const auto decay = WholeNumberInRange(row.Decay, 0, 32000)) longest = std::max(longest, *decay);
  }
  return static_cast<double>(longest) / 1000.0;
}

double WaitForQuiet(EventCapture& capture, const RecordingFormat& format, double noiseFloorDbfs, double maxSeconds,
                    const std::string& probeFile) {
  const double quiet = std::max(noiseFloorDbfs, kSilenceFloorDbfs) + kQuietMarginDb;
  double level = kSilenceFloorDbfs;
  for (double waited = 0.0; waited < maxSeconds; waited += kQuietStepSeconds) {
    const double step = std::min(kQuietStepSeconds, maxSeconds - waited);
    const TakeLevels heard = RecordAndMeasure(capture, {std::nullopt, step, 0.0, format, probeFile}, noiseFloorDbfs);
    level = heard.endPeakDbfs;
    if (heard.rmsDbfs <= quiet) break;  // the noise floor is an RMS too
  }
  return level;
}

ProbeResult ProbeNote(EventCapture& capture, const RecordingFormat& format, int note, double noiseFloorDbfs,
                      double carriedDbfs, double quietSeconds, const std::string& probeFile) {
  ProbeResult probe;
  probe.levels = RecordAndMeasure(capture, {note, kTestNoteHoldSeconds, kTestNoteDecaySeconds, format, probeFile},
                                  noiseFloorDbfs);
  probe.sounds = SoundsOverCarried(probe.levels, noiseFloorDbfs, carriedDbfs);
  probe.endLevelDbfs = probe.levels.endPeakDbfs;
  if (quietSeconds > 0.0) probe.endLevelDbfs = WaitForQuiet(capture, format, noiseFloorDbfs, quietSeconds, probeFile);
  return probe;
}

LevelCheckResult CheckLevels(EventCapture& capture, const RecordingFormat& format, const std::vector<int>& notes,
                             double quietSeconds, const std::string& probeFile) {
  LevelCheckResult result;
  // The noise floor: the RMS of the input with no note playing.
  const TakeLevels quiet =
      RecordAndMeasure(capture, {std::nullopt, kNoiseFloorSeconds, 0.0, format, probeFile}, std::nullopt);
  result.noiseFloorDbfs = quiet.rmsDbfs;
  result.endLevelDbfs = quiet.endPeakDbfs;
  for (const int note : TestNoteOrder(notes)) {
    const ProbeResult probe =
        ProbeNote(capture, format, note, result.noiseFloorDbfs, result.endLevelDbfs, quietSeconds, probeFile);
    result.endLevelDbfs = probe.endLevelDbfs;
    if (probe.sounds) {
      result.soundingNote = note;
      result.soundingLevels = probe.levels;
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
