// SPDX-License-Identifier: GPL-3.0-or-later
// The estimate shown before a run against the run itself: level checks,
// program-change pauses and trimming counted, within 10 % of the time taken,
// for a whole run and for one that goes on where another ended.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "engine/events/midi_messages.h"
#include "test_support.h"

namespace ntr {
namespace {

using testing::Rig;

TEST(RunEstimate, CountsWhatTheRunSpendsAroundItsTakes) {
  for (const bool testNotes : {false, true}) {
    SCOPED_TRACE(testNotes ? "with test notes" : "without test notes");
    Rig rig;
    rig.settings.options.testNotes = testNotes;
    rig.settings.options.trim = true;
    rig.settings.programList = "0,19";
    // An instrument that sounds from its note on to 0.4 s after its note off,
    // as a synthesizer's tail does; silent otherwise.
    const auto noteOff = [&rig](double start, double stop) {
      std::optional<double> last;
      for (const auto& m : rig.midi.sent) {
        if ((midi::StatusByte(m.message) & 0xF0) == 0x80 && m.time >= start - 0.4 && m.time < stop) last = m.time;
      }
      return last;
    };
    rig.recorder.sounds = [noteOff](double start, double stop) { return noteOff(start, stop).has_value(); };
    rig.recorder.soundEnds = [noteOff](double start, double stop) -> std::optional<double> {
      const auto off = noteOff(start, stop);
      return off ? std::optional<double>(*off + 0.4) : std::nullopt;
    };
    EventSelection selection;  // C, E and A of octave 4: 3 notes of 1 s + 0.5 s decay
    selection.notes[0] = selection.notes[4] = selection.notes[9] = true;
    selection.octaves[4] = true;
    selection.duration = "1000";
    selection.decay = "500";
    selection.programList = rig.settings.programList;
    rig.controller.GenerateEvents(selection, true);
    // 2 programs x 3 notes x 1.5 s = 9 s, and 0.5 s after each program change.
    const std::string estimate = rig.controller.Progress().estimate;
    EXPECT_EQ(estimate, testNotes ? "13\"" : "10\"");

    const double start = rig.clock.Now();
    rig.Start();
    const double elapsed = rig.clock.Now() - start;
    ASSERT_EQ(rig.observer.takes.size(), 6u);
    EXPECT_LE(std::abs(std::stod(estimate) - elapsed), 0.1 * elapsed) << estimate << " for " << elapsed << " s";

    // Going on with one program's takes missing: the estimate counts that
    // program's pause, level check and trimming too.
    std::filesystem::remove_all(rig.InstrumentFolder() + "/PATCH_019");
    rig.settings.options.skipTakesAlreadyMade = true;
    rig.observer = {};
    const double resumed = rig.clock.Now();
    rig.Start();
    const double left = rig.clock.Now() - resumed;
    ASSERT_EQ(rig.observer.takes.size(), 3u);
    const std::string leftEstimate = rig.observer.progress.at(0).estimate;
    // Within 10 %, and the half second a whole-second figure may round away.
    EXPECT_LE(std::abs(std::stod(leftEstimate) - left), 0.1 * left + 0.5) << leftEstimate << " for " << left << " s";
  }
}

}  // namespace
}  // namespace ntr
