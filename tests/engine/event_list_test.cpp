// SPDX-License-Identifier: GPL-3.0-or-later
// The event list: numbers, note names, generation, program list and estimate.

#include <gtest/gtest.h>

#include "engine/events/event_list.h"
#include "engine/run/format_seconds.h"
#include "engine/events/note_names.h"
#include "engine/events/program_slots.h"
#include "engine/events/text_numbers.h"
#include "test_support.h"

namespace ntr {
namespace {

EventSelection AllSelected() {
  EventSelection s;
  s.notes.fill(true);
  s.octaves.fill(true);
  return s;
}

TEST(Numbers, RoundHalvesToEvenAndParseOnlyDecimalNumbers) {
  EXPECT_EQ(RoundHalfEven(0.5), 0.0);
  EXPECT_EQ(RoundHalfEven(1.5), 2.0);
  EXPECT_EQ(RoundHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2.0);
  EXPECT_EQ(RoundHalfEven(2.4999), 2.0);
  EXPECT_EQ(RoundHalfEven(199.5), 200.0);

  EXPECT_EQ(ParseNumber(" 12 "), 12.0);
  EXPECT_EQ(ParseNumber("-3.5"), -3.5);
  EXPECT_EQ(ParseNumber("+.5"), 0.5);
  EXPECT_EQ(ParseNumber("1e3"), 1000.0);
  for (const char* text : {"", " ", "abc", "1,5", "0x10", "inf", "nan", "1e", "--1", "12a", "."}) {
    EXPECT_FALSE(IsNumeric(text)) << text;
  }
}

TEST(FormatSeconds, ShowsHoursMinutesAndSecondsAsTheWindowDoes) {
  EXPECT_EQ(FormatSeconds(3725), "1h 2' 5\"");
  EXPECT_EQ(FormatSeconds(5400), "1h 30' ");
  EXPECT_EQ(FormatSeconds(3600), "60' ");
  EXPECT_EQ(FormatSeconds(60), "60\"");
  EXPECT_EQ(FormatSeconds(200), "3' 20\"");
  EXPECT_EQ(FormatSeconds(0), "");
  EXPECT_EQ(FormatSeconds(40960), "11h 22' 40\"");
  EXPECT_EQ(FormatSeconds(12820480), "3561h 14' 40\"");  // past 16 and 32 bits of milliseconds
}

TEST(NoteNames, NameNotesAndOctaves) {
  EXPECT_EQ(NoteName(0), "C0");
  EXPECT_EQ(NoteName(60), "C5");
  EXPECT_EQ(NoteName(61), "C#5");
  EXPECT_EQ(NoteName(127), "G10");
  EXPECT_EQ(OctaveCaption(0), "From C0 to B0");
  EXPECT_EQ(OctaveCaption(10), "From C10 to G10");
  std::array<bool, 12> notes{};
  EXPECT_EQ(SelectedNotesCaption(notes), "");
  notes.fill(true);
  EXPECT_EQ(SelectedNotesCaption(notes), "C C# D D# E F F# G G# A A# B ");
}

TEST(Generation, AllNotesAndOctavesGiveOneRowPerMidiNote) {
  EventList list;
  EventSelection selection = AllSelected();
  selection.channel = "3";
  list.GenerateEvents(selection, true);
  ASSERT_EQ(list.RowCount(), 128u);
  EXPECT_EQ(list.Row(0).ToTabText(), "C0\t127\t3\t2000\t500\t0");
  EXPECT_EQ(list.Row(61).ToTabText(), "C#5\t127\t3\t2000\t500\t61");
  EXPECT_EQ(list.Row(127).ToTabText(), "G10\t127\t3\t2000\t500\t127");
  EXPECT_EQ(EventRow::FromTabText(list.Row(61).ToTabText()), list.Row(61));
  EXPECT_EQ(EventRow::FromTabText("D1\t5").Number, "");
}

TEST(Generation, FollowsTheSelectionOctaveByOctave) {
  EventList list;
  EventSelection selection;
  selection.notes[9] = selection.notes[11] = true;  // A and B
  selection.octaves[10] = true;                     // 120..127 has no A or B
  list.GenerateEvents(selection, true);
  EXPECT_EQ(list.RowCount(), 0u);

  selection.notes[0] = true;  // C
  selection.octaves[2] = true;
  list.GenerateEvents(selection, true);
  ASSERT_EQ(list.RowCount(), 4u);
  EXPECT_EQ(list.Row(0).Note, "C2");
  EXPECT_EQ(list.Row(1).Note, "A2");
  EXPECT_EQ(list.Row(2).Note, "B2");
  EXPECT_EQ(list.Row(3).Note, "C10");
  EXPECT_EQ(list.Row(3).Number, "120");
}

TEST(Generation, AddAppendsAndAnEmptySelectionClearsOnlyOnGenerate) {
  EventList list;
  EventSelection selection = AllSelected();
  list.GenerateEvents(selection, false);
  list.GenerateEvents(selection, false);
  ASSERT_EQ(list.RowCount(), 256u);
  EXPECT_EQ(list.Row(128).Note, "C0");

  EventSelection nothing;
  list.GenerateEvents(nothing, false);
  EXPECT_EQ(list.RowCount(), 256u);
  list.GenerateEvents(nothing, true);
  EXPECT_EQ(list.RowCount(), 0u);
}

TEST(Generation, NormalisesTheNumberFieldsInPlace) {
  struct Case {
    const char* velocity;
    const char* duration;
    const char* decay;
    const char* velocityAfter;
    const char* durationAfter;
    const char* decayAfter;
  };
  for (const Case& c : {Case{"300", "40000", "x", "127", "32000", "2000"},
                        Case{"-5", "0", "-1", "0", "0", "0"},
                        Case{"abc", "", " 250.5 ", "127", "2000", "250"},
                        Case{"2.5", "1e9", "99.5", "2", "32000", "100"},
                        Case{"1e400", "-1e400", "1e-400", "127", "0", "0"}}) {
    EventList list;
    EventSelection selection = AllSelected();
    selection.velocity = c.velocity;
    selection.duration = c.duration;
    selection.decay = c.decay;
    list.GenerateEvents(selection, true);
    EXPECT_EQ(selection.velocity, c.velocityAfter) << c.velocity;
    EXPECT_EQ(selection.duration, c.durationAfter) << c.duration;
    EXPECT_EQ(selection.decay, c.decayAfter) << c.decay;
    EXPECT_EQ(list.Row(0).Vel, c.velocityAfter);
    EXPECT_EQ(list.Row(0).Time, c.durationAfter);
    EXPECT_EQ(list.Row(0).Decay, c.decayAfter);
  }
}

std::vector<int> UsedSlots(const ProgramSlots& slots) {
  std::vector<int> used(slots.PatchSlots.begin(), slots.PatchSlots.end());
  while (!used.empty() && used.back() == kEmptySlot) used.pop_back();
  return used;
}

TEST(ProgramList, ParsesItemsRangesAndOddInputAsTheFieldAlwaysHas) {
  struct Case {
    const char* text;
    std::vector<int> slots;
    int count;
  };
  for (const Case& c : {Case{"5", {5}, 1}, Case{"10,2", {10, 2}, 2}, Case{"9-3", {}, 0}, Case{"-5", {5}, 1},
                        Case{"3-5-7", {5, 6, 7}, 3}, Case{"5-", {}, 0}, Case{"5-,", {}, 0},
                        Case{"1,,2", {1, -1, 2}, 2}, Case{",5", {-1, 5}, 1}, Case{"200", {127}, 1},
                        Case{"130-140", {127}, 1}, Case{" 4 x5", {45}, 1}, Case{"", {}, 1}, Case{"   ", {}, 1}}) {
    const ProgramSlots slots = ParseProgramList(c.text);
    EXPECT_EQ(UsedSlots(slots), c.slots) << '"' << c.text << '"';
    EXPECT_EQ(slots.PatchCount, c.count) << '"' << c.text << '"';
  }
  const ProgramSlots all = ParseProgramList("0-127");
  EXPECT_EQ(all.PatchCount, 128);
  EXPECT_EQ(all.PatchSlots[0], 0);
  EXPECT_EQ(all.PatchSlots[127], 127);
}

TEST(ProgramList, ExtraProgramsAreIgnoredAndHugeNumbersCountAs127) {
  const ProgramSlots full = ParseProgramList("0-127,5,6-9,0-127");
  EXPECT_EQ(full.PatchCount, 128);
  EXPECT_EQ(full.PatchSlots[127], 127);

  // The digits saturate instead of wrapping: the first item is 127, the
  // range runs from 3 to the top.
  const ProgramSlots huge = ParseProgramList("99999999999999999999999,3-4294967297");
  EXPECT_EQ(huge.PatchCount, 126);
  EXPECT_EQ(huge.PatchSlots[0], 127);
  EXPECT_EQ(huge.PatchSlots[1], 3);
  EXPECT_EQ(huge.PatchSlots[125], 127);
  EXPECT_EQ(huge.PatchSlots[126], kEmptySlot);
}

TEST(ProgramList, KeyFilterLetsDigitsCommaMinusAndControlKeysThrough) {
  for (int key : std::initializer_list<int>{8, 13, '0', '9', ',', '-'}) EXPECT_TRUE(ProgramListAcceptsKey(key)) << key;
  for (int key : std::initializer_list<int>{' ', 'a', '.', '+', 0x00E9}) EXPECT_FALSE(ProgramListAcceptsKey(key)) << key;
}

TEST(Estimate, MultipliesDurationDecayProgramsAndRowsWithoutOverflow) {
  EXPECT_EQ(EstimatedRunSeconds("2000", "500", 128, 128), 40960);
  EXPECT_EQ(EstimatedRunSeconds("2000", "500", 128, 0), 0);
  EXPECT_EQ(EstimatedRunSeconds("1", "0", 1, 1), 0);      // 0.001 s rounds to 0
  EXPECT_EQ(EstimatedRunSeconds("1500", "0", 1, 1), 2);   // 1.5 s: halves to even
  EXPECT_EQ(EstimatedRunSeconds("2500", "0", 1, 1), 2);
  // 40064 rows x 128 programs x 2.5 s: far past 32 bits of milliseconds.
  EXPECT_EQ(EstimatedRunSeconds("2000", "500", 40064, 128), 12820480);
}

TEST(Estimate, GenerationShowsItTitledExtimatedAndAddKeepsCounting) {
  testing::Rig rig;
  EventSelection selection = AllSelected();
  selection.programList = "0-127";
  rig.controller.GenerateEvents(selection, true);
  EXPECT_EQ(rig.controller.Progress().estimateTitle, "Extimated");
  // 128 programs x 128 notes x 2.5 s, and a pause of 0.5 s after each program change.
  EXPECT_EQ(rig.controller.Progress().estimate, "11h 23' 44\"");

  rig.controller.GenerateEvents(selection, false);  // "Add Events": twice the rows
  EXPECT_EQ(rig.controller.Progress().estimate, "22h 46' 24\"");

  selection.programList = "9-3";
  rig.controller.GenerateEvents(selection, true);
  EXPECT_EQ(rig.controller.Progress().estimate, "");
}

}  // namespace
}  // namespace ntr
