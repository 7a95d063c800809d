// SPDX-License-Identifier: GPL-3.0-or-later
// Velocity layers and round robins: one row per take, each played at its
// layer's velocity and saved under its own name; without them the list, the
// notes and the names are the plain ones.

#include <gtest/gtest.h>

#include "engine/run/format_seconds.h"
#include "engine/events/midi_messages.h"
#include "engine/takes/sample_paths.h"
#include "engine/events/take_layers.h"
#include "test_support.h"

namespace ntr {
namespace {

using testing::Rig;

EventSelection CAndDOfOctave5(const std::string& layers, int rounds) {
  EventSelection selection;
  selection.notes[0] = selection.notes[2] = true;
  selection.octaves[5] = true;
  selection.velocity = "100";
  selection.duration = "100";
  selection.decay = "150";
  selection.velocityLayers = layers;
  selection.roundRobins = rounds;
  return selection;
}

std::vector<std::string> TakeNames(const EventList& events) {
  std::vector<std::string> names;
  for (const EventRow& row : events.Rows()) names.push_back(TakeName(row));
  return names;
}

TEST(TakeLayers, EveryNoteIsPlayedOncePerLayerAndRoundAndSavedUnderItsOwnName) {
  Rig rig;
  EventSelection selection = CAndDOfOctave5(" 40, 127", 2);
  rig.controller.GenerateEvents(selection, true);
  EXPECT_EQ(TakeNames(rig.events),
            (std::vector<std::string>{"C5_V040_R1", "C5_V040_R2", "C5_V127_R1", "C5_V127_R2", "D5_V040_R1",
                                      "D5_V040_R2", "D5_V127_R1", "D5_V127_R2"}));
  EXPECT_EQ(rig.events.Row(6).Vel, "127");
  EXPECT_EQ(rig.controller.Progress().estimate, FormatSeconds(2));  // 8 takes of 250 ms

  rig.settings.velocity = "90";  // the window's: the layers play their own
  rig.Start();
  std::vector<int> velocities;
  for (const auto& sent : rig.midi.sent) {
    if ((midi::StatusByte(sent.message) & 0xF0) == 0x90) velocities.push_back(midi::DataByte2(sent.message));
  }
  EXPECT_EQ(velocities, (std::vector<int>{40, 40, 127, 127, 40, 40, 127, 127}));
  EXPECT_EQ(rig.midi.velocity, 90);  // the window's again after the takes
  const auto files = testing::FilesBelow(rig.InstrumentFolder());
  ASSERT_EQ(files.size(), 8u);
  EXPECT_EQ(files[0], "PATCH_XXX/PATCHXXX_C5_V040_R1.WAV");
  EXPECT_EQ(files[7], "PATCH_XXX/PATCHXXX_D5_V127_R2.WAV");
  ASSERT_EQ(rig.observer.takes.size(), 8u);
  EXPECT_EQ(rig.observer.takes[3].velocity, 127);
  EXPECT_EQ(rig.observer.takes[3].round, 2);

  // Going on where it was finds every take under its own name.
  rig.settings.options.skipTakesAlreadyMade = true;
  rig.midi.sent.clear();
  rig.Start();
  EXPECT_TRUE(rig.NotesOn().empty());
  EXPECT_EQ(rig.controller.Progress().eventsSkipped, 8);
}

TEST(TakeLayers, OneLayerOrOneRoundNamesOnlyWhatThereIsMoreThanOneOf) {
  EventList events;
  EventSelection rounds = CAndDOfOctave5("", 2);  // the window's velocity, twice
  events.GenerateEvents(rounds, true);
  EXPECT_EQ(TakeNames(events), (std::vector<std::string>{"C5_V100_R1", "C5_V100_R2", "D5_V100_R1", "D5_V100_R2"}));

  EventSelection layers = CAndDOfOctave5("80,40,80", 1);  // a velocity given twice counts once
  events.GenerateEvents(layers, true);
  EXPECT_EQ(TakeNames(events), (std::vector<std::string>{"C5_V080", "C5_V040", "D5_V080", "D5_V040"}));

  // One layer, one round: the plain names, played at the layer's velocity.
  EventSelection single = CAndDOfOctave5("80", 1);
  events.GenerateEvents(single, true);
  EXPECT_EQ(TakeNames(events), (std::vector<std::string>{"C5", "D5"}));
  EXPECT_EQ(PlayedVelocity(events.Row(0), 127), 80);

  // The defaults, and a stored text that is no layer list: the plain list.
  EventList plain;
  EventSelection none = CAndDOfOctave5("", 1);
  plain.GenerateEvents(none, true);
  EXPECT_EQ(plain.Row(0), (EventRow{"C5", "100", "1", "100", "150", "60"}));
  EXPECT_EQ(PlayedVelocity(plain.Row(0), 127), 127);
  EventSelection damaged = CAndDOfOctave5("loud", 1);
  events.GenerateEvents(damaged, true);
  EXPECT_EQ(events.Rows(), plain.Rows());

  for (const char* wrong : {"0", "128", "40,,80", "40;80", "4 0", "40.5", "-40", ","}) {
    EXPECT_FALSE(ParseVelocityLayers(wrong)) << wrong;
  }
  EXPECT_EQ(ParseVelocityLayers(" "), std::vector<int>{});
  EXPECT_EQ(ParseVelocityLayers("1,127"), (std::vector<int>{1, 127}));
}

}  // namespace
}  // namespace ntr
