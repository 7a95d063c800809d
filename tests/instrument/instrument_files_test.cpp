// SPDX-License-Identifier: GPL-3.0-or-later
// Instrument files end to end: a folder of sine takes (two velocity layers at
// different levels, two rounds, every third key of an octave, stereo 24-bit at
// 48 kHz) is made into an instrument; FluidSynth plays the SoundFont, and the
// SFZ and DecentSampler files are read back and checked key by key.

#include <fluidsynth.h>
#include <libinstpatch/libinstpatch.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QXmlStreamReader>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "engine/events/note_names.h"
#include "instrument/instrument_check.h"
#include "instrument/instrument_files.h"
#include "instrument/take_names.h"
#include "quendal/pcm_wav.h"
#include "quendal/unity_note.h"
#include "quendal/wav.h"
#include "test_support.h"

namespace ntr::instrument {
namespace {

namespace fs = std::filesystem;

constexpr int kRate = 48000;
constexpr int kSampledKeys[] = {60, 63, 66, 69};  // every third key from C5
constexpr double kSoftLevel = 0.1;                // the layer recorded at velocity 40
constexpr double kLoudLevel = 0.8;                // the layer recorded at velocity 127

double Frequency(double key) { return 440.0 * std::pow(2.0, (key - 69.0) / 12.0); }

// A stereo 24-bit sine take of 0.6 s at the pitch of `pitchKey`, with a sampler chunk naming unityNote (if any).
void WriteTake(const fs::path& file, double pitchKey, double level, std::optional<int> unityNote) {
  const int frames = kRate * 6 / 10;
  std::string bytes;
  for (int i = 0; i < frames; ++i) {
    const double value = level * std::sin(2.0 * M_PI * Frequency(pitchKey) * i / kRate);
    const auto sample = static_cast<std::int32_t>(std::lround(value * 8388607.0));
    for (int channel = 0; channel < 2; ++channel) {
      for (int byte = 0; byte < 3; ++byte) bytes += static_cast<char>((sample >> (8 * byte)) & 0xff);
    }
  }
  std::unique_ptr<quendal::Wav> wav = quendal::MakePcmWav({kRate, 24, 2}, std::move(bytes));
  if (unityNote) quendal::ApplyUnityNote(*wav, *unityNote);
  fs::create_directories(file.parent_path());
  ASSERT_EQ(wav->PutWavFile(file.string(), true), 0);
}

// Program 000: two layers and two rounds, tagged. Program 001: one plain take
// whose sampler chunk names another key than its name (the chunk wins) and one without a chunk.
void WriteTakes(const fs::path& instrument) {
  for (const int key : kSampledKeys) {
    for (const auto& [velocity, level] : {std::pair{"040", kSoftLevel}, std::pair{"127", kLoudLevel}}) {
      for (const char* round : {"1", "2"}) {
        const std::string name =
            "PATCH000_" + std::string(NoteNames[key % 12]) + "5_V" + velocity + "_R" + round + ".WAV";
        WriteTake(instrument / "PATCH_000" / name, key, level, key);
      }
    }
  }
  WriteTake(instrument / "PATCH_001" / "PATCH001_C5.WAV", 62, kLoudLevel, 62);
  WriteTake(instrument / "PATCH_001" / "PATCH001_G5.WAV", 67, kLoudLevel, std::nullopt);
}

// A region as a sampler reads it from either file.
struct Mapped {
  std::string file;
  int root = -1, loKey = 0, hiKey = 127, loVel = 0, hiVel = 127, seqLength = 1, seqPosition = 1;
};

std::vector<Mapped> ReadSfz(const fs::path& file) {
  std::ifstream in(file);
  std::vector<Mapped> regions;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("<region>", 0) != 0) continue;
    std::istringstream words(line.substr(8));
    Mapped region;
    std::map<std::string, int*> numbers = {{"pitch_keycenter", &region.root},
                                           {"lokey", &region.loKey},
                                           {"hikey", &region.hiKey},
                                           {"lovel", &region.loVel},
                                           {"hivel", &region.hiVel},
                                           {"seq_length", &region.seqLength},
                                           {"seq_position", &region.seqPosition}};
    for (std::string word; words >> word;) {
      const std::string opcode = word.substr(0, word.find('='));
      const std::string value = word.substr(word.find('=') + 1);
      if (opcode == "sample") region.file = value;
      else if (numbers.count(opcode)) *numbers[opcode] = std::stoi(value);
      else if (opcode == "ampeg_release") EXPECT_GE(std::stod(value), 0.01) << word;
      else ADD_FAILURE() << "unexpected opcode " << word;
    }
    regions.push_back(region);
  }
  return regions;
}

std::vector<Mapped> ReadDspreset(const fs::path& file) {
  QFile xml(QString::fromStdString(file.string()));
  EXPECT_TRUE(xml.open(QIODevice::ReadOnly));
  QXmlStreamReader reader(&xml);
  std::vector<Mapped> regions;
  bool roundRobinGroup = false;
  while (!reader.atEnd()) {
    if (reader.readNext() != QXmlStreamReader::StartElement) continue;
    const QXmlStreamAttributes a = reader.attributes();
    auto number = [&a](const char* name, int otherwise) {
      return a.hasAttribute(QLatin1String(name)) ? a.value(QLatin1String(name)).toInt() : otherwise;
    };
    if (reader.name() == QLatin1String("group"))
      roundRobinGroup = a.value(QLatin1String("seqMode")) == QLatin1String("round_robin");
    if (reader.name() != QLatin1String("sample")) continue;
    EXPECT_TRUE(roundRobinGroup || !a.hasAttribute(QLatin1String("seqPosition")));
    regions.push_back({a.value(QLatin1String("path")).toString().toStdString(), number("rootNote", -1),
                       number("loNote", 0), number("hiNote", 127), number("loVel", 0), number("hiVel", 127),
                       number("seqLength", 1), number("seqPosition", 1)});
  }
  EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
  return regions;
}

// Every key from the lowest to the highest sampled one, at soft and loud
// velocities, finds exactly its two rounds of the right layer, rooted at the
// nearest sampled key; keys outside find nothing; every file exists.
void ExpectMapping(const std::vector<Mapped>& regions, const fs::path& instrument) {
  ASSERT_EQ(regions.size(), 16u);
  for (const Mapped& region : regions) EXPECT_TRUE(fs::is_regular_file(instrument / region.file)) << region.file;
  for (int key = 59; key <= 70; ++key) {
    for (const int velocity : {1, 40, 41, 127}) {
      std::vector<Mapped> hits;
      for (const Mapped& r : regions) {
        if (key >= r.loKey && key <= r.hiKey && velocity >= r.loVel && velocity <= r.hiVel) hits.push_back(r);
      }
      if (key < 60 || key > 69) {
        EXPECT_TRUE(hits.empty()) << key;
        continue;
      }
      const int offset = (key - 60) % 3;
      const int root = offset == 0 ? key : offset == 1 ? key - 1 : key + 1;
      ASSERT_EQ(hits.size(), 2u) << "key " << key << " velocity " << velocity;
      std::set<int> positions;
      for (const Mapped& hit : hits) {
        EXPECT_EQ(hit.root, root) << hit.file;
        EXPECT_NE(hit.file.find(velocity <= 40 ? "_V040_" : "_V127_"), std::string::npos) << hit.file;
        EXPECT_EQ(hit.seqLength, 2);
        EXPECT_NE(hit.file.find("_R" + std::to_string(hit.seqPosition) + "."), std::string::npos) << hit.file;
        positions.insert(hit.seqPosition);
      }
      EXPECT_EQ(positions, (std::set<int>{1, 2}));
    }
  }
}

struct Heard {
  double frequency = 0;
  double rms = 0;
};

// One note of the SoundFont as FluidSynth plays it: pitch (upward zero
// crossings, interpolated) and level of the left channel from 0.1 s to 0.4 s.
Heard Play(fluid_synth_t* synth, int soundFont, int preset, int key, int velocity) {
  EXPECT_EQ(fluid_synth_program_select(synth, 0, soundFont, 0, preset), FLUID_OK);
  fluid_synth_noteon(synth, 0, key, velocity);
  std::vector<float> left(kRate / 2), right(kRate / 2);
  fluid_synth_write_float(synth, kRate / 2, left.data(), 0, 1, right.data(), 0, 1);
  fluid_synth_all_sounds_off(synth, 0);
  std::vector<float> flush(kRate / 10);
  fluid_synth_write_float(synth, kRate / 10, flush.data(), 0, 1, flush.data(), 0, 1);

  Heard heard;
  double first = -1, last = -1, squares = 0;
  int crossings = 0;
  for (int i = kRate / 10; i < kRate * 4 / 10; ++i) {
    squares += left[i] * left[i];
    if (left[i - 1] < 0 && left[i] >= 0) {
      const double at = i - 1 + left[i - 1] / (left[i - 1] - left[i]);
      if (first < 0) first = at;
      last = at;
      ++crossings;
    }
  }
  heard.rms = std::sqrt(squares / (kRate * 3 / 10));
  if (crossings > 1) heard.frequency = (crossings - 1) * kRate / (last - first);
  return heard;
}

TEST(InstrumentFiles, FolderOfLayeredRoundRobinTakesPlaysInFluidSynthAndMapsInSfzAndDecentSampler) {
  testing::TempDir temp;
  const fs::path instrument = temp.Path() / "Test_Synth";
  WriteTakes(instrument);
  fs::create_directories(instrument / "PATCH_002");  // a program folder without takes is no program

  const InstrumentFiles made = MakeInstrumentFiles(instrument.string());
  EXPECT_EQ(made.programs, 2);
  EXPECT_EQ(made.takes, 18);
  EXPECT_TRUE(made.warnings.empty());
  std::set<std::string> written;
  for (const std::string& file : made.written) written.insert(fs::path(file).filename().string());
  EXPECT_EQ(written,
            (std::set<std::string>{"Test_Synth_PATCH_000.sfz", "Test_Synth_PATCH_000.dspreset",
                                   "Test_Synth_PATCH_001.sfz", "Test_Synth_PATCH_001.dspreset", "Test_Synth.sf2"}));

  ExpectMapping(ReadSfz(instrument / "Test_Synth_PATCH_000.sfz"), instrument);
  ExpectMapping(ReadDspreset(instrument / "Test_Synth_PATCH_000.dspreset"), instrument);
  // The key of a take is its sampler chunk's unity note, else its name's note.
  for (const auto& read :
       {ReadSfz(instrument / "Test_Synth_PATCH_001.sfz"), ReadDspreset(instrument / "Test_Synth_PATCH_001.dspreset")}) {
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].file, "PATCH_001/PATCH001_C5.WAV");
    EXPECT_EQ(read[0].root, 62);
    EXPECT_EQ(read[1].root, 67);
    EXPECT_EQ(read[0].hiKey + 1, read[1].loKey);
  }

  fluid_settings_t* settings = new_fluid_settings();
  fluid_settings_setnum(settings, "synth.sample-rate", kRate);
  fluid_settings_setint(settings, "synth.reverb.active", 0);
  fluid_settings_setint(settings, "synth.chorus.active", 0);
  fluid_synth_t* synth = new_fluid_synth(settings);
  const int soundFont = fluid_synth_sfload(synth, (instrument / "Test_Synth.sf2").c_str(), 1);
  ASSERT_NE(soundFont, FLUID_FAILED);

  // Every key between and on the sampled ones sounds at its own pitch.
  for (int key = 60; key <= 69; ++key) {
    for (const int velocity : {30, 100}) {
      const Heard heard = Play(synth, soundFont, 0, key, velocity);
      ASSERT_GT(heard.frequency, 0) << "key " << key << " is silent";
      EXPECT_NEAR(1200.0 * std::log2(heard.frequency / Frequency(key)), 0.0, 10.0) << "key " << key;
    }
  }
  // The level rises with velocity, and jumps where the loud layer takes over.
  std::vector<double> levels;
  for (const int velocity : {20, 40, 41, 90, 127}) levels.push_back(Play(synth, soundFont, 0, 64, velocity).rms);
  for (std::size_t i = 1; i < levels.size(); ++i) EXPECT_GT(levels[i], levels[i - 1]) << i;
  EXPECT_GT(levels[2] / levels[1], 0.5 * kLoudLevel / kSoftLevel);
  // Program 001 is preset 1, rooted where its sampler chunk says.
  const Heard other = Play(synth, soundFont, 1, 62, 100);
  EXPECT_NEAR(1200.0 * std::log2(other.frequency / Frequency(62)), 0.0, 10.0);

  delete_fluid_synth(synth);
  delete_fluid_settings(settings);
}

// A take 20 cents sharp of D5 whose sampler chunk says so (tuned) or not.
void WriteSharpTake(const fs::path& file, bool tuned) {
  WriteTake(file, 62.2, kLoudLevel, 62);
  if (!tuned) return;
  quendal::Wav wav;
  ASSERT_EQ(wav.GetWavFile(file.string()), 0);
  wav.SmplChunk->MIDIPitchFraction = static_cast<std::int32_t>(0.2 * 4294967296.0);
  ASSERT_EQ(wav.PutWavFile(file.string(), true), 0);
}

double Db(double rms) { return 20.0 * std::log10(rms); }

// Normalizing lifts the loudest take to -1 dBFS and keeps the layers' levels
// apart as they were; a tuned take is corrected in all three files; the
// check passes the tuned program and names the cents of the untuned one.
TEST(InstrumentFiles, NormalizedTunedInstrumentKeepsItsLayersAndChecksItself) {
  testing::TempDir temp;
  const fs::path instrument = temp.Path() / "Tuned";
  WriteTakes(instrument);
  WriteSharpTake(instrument / "PATCH_003" / "PATCH003_D5.WAV", true);

  const auto layerLevels = [&] {
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", kRate);
    fluid_synth_t* synth = new_fluid_synth(settings);
    const int soundFont = fluid_synth_sfload(synth, (instrument / "Tuned.sf2").c_str(), 1);
    EXPECT_NE(soundFont, FLUID_FAILED);
    const std::pair levels{Db(Play(synth, soundFont, 0, 63, 40).rms), Db(Play(synth, soundFont, 0, 63, 127).rms)};
    const Heard tuned = Play(synth, soundFont, 3, 62, 100);
    EXPECT_NEAR(1200.0 * std::log2(tuned.frequency / Frequency(62)), 0.0, 3.0);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return levels;
  };
  MakeInstrumentFiles(instrument.string());
  const auto [soft, loud] = layerLevels();
  InstrumentFileOptions normalized;
  normalized.normalize = true;
  MakeInstrumentFiles(instrument.string(), normalized);
  const auto [normalizedSoft, normalizedLoud] = layerLevels();
  EXPECT_NEAR(normalizedLoud - loud, -1.0 - Db(kLoudLevel), 0.2);
  EXPECT_NEAR(normalizedLoud - normalizedSoft, loud - soft, 0.5);

  std::ifstream sfz(instrument / "Tuned_PATCH_003.sfz"), dspreset(instrument / "Tuned_PATCH_003.dspreset");
  const std::string sfzText(std::istreambuf_iterator<char>(sfz), {}),
      dspresetText(std::istreambuf_iterator<char>(dspreset), {});
  EXPECT_NE(sfzText.find(" tune=-20 volume=0.94 "), std::string::npos) << sfzText;
  EXPECT_NE(dspresetText.find(" tuning=\"-0.20\" volume=\"0.94dB\""), std::string::npos) << dspresetText;

  const InstrumentCheck passed = CheckInstrument(instrument.string());
  EXPECT_TRUE(passed.passed) << passed.summary << "\n" << (passed.problems.empty() ? "" : passed.problems[0]);
  EXPECT_LT(passed.worstCents, 3.0);
  EXPECT_EQ(passed.layers, 2);

  WriteSharpTake(instrument / "PATCH_004" / "PATCH004_D5.WAV", false);
  MakeInstrumentFiles(instrument.string());
  fs::remove(instrument / "PATCH_000" / "PATCH000_C5_V040_R1.WAV");  // the SFZ and preset name it still
  const InstrumentCheck failed = CheckInstrument(instrument.string(), 5.0);
  EXPECT_FALSE(failed.passed);
  std::string problems;
  for (const std::string& problem : failed.problems) problems += problem + "\n";
  EXPECT_NE(problems.find("PATCH_004 key 62 (D5) velocity 100: 20."), std::string::npos) << problems;
  EXPECT_NE(problems.find("Tuned_PATCH_000.sfz: the sample \"PATCH_000/PATCH000_C5_V040_R1.WAV\" does not exist"),
            std::string::npos)
      << problems;
  EXPECT_NE(failed.summary.find("1 out of tune (worst 20."), std::string::npos) << failed.summary;
}

// Loops every sample of the SoundFont from 0.25 s to 0.5 s plus `offBy` samples
// (at 440 Hz a whole number of periods when offBy is 0), as a looping sampler's files would.
void LoopSamples(const fs::path& soundFont, int offBy) {
  IpatchSF2File* file = ipatch_sf2_file_new();
  IpatchSF2Reader* reader = ipatch_sf2_reader_new(ipatch_file_open(IPATCH_FILE(file), soundFont.c_str(), "r", nullptr));
  IpatchSF2* loaded = ipatch_sf2_reader_load(reader, nullptr);
  ASSERT_TRUE(loaded);
  IpatchList* samples = ipatch_container_get_children(IPATCH_CONTAINER(loaded), IPATCH_TYPE_SF2_SAMPLE);
  for (GList* item = samples->items; item; item = item->next) {
    g_object_set(item->data, "loop-start", kRate / 4, "loop-end", kRate / 2 + offBy, nullptr);
  }
  IpatchList* instruments = ipatch_container_get_children(IPATCH_CONTAINER(loaded), IPATCH_TYPE_SF2_INST);
  for (GList* item = instruments->items; item; item = item->next) {
    IpatchList* zones = ipatch_container_get_children(IPATCH_CONTAINER(item->data), IPATCH_TYPE_SF2_IZONE);
    IpatchSF2GenAmount loop{};
    loop.uword = 1;
    for (GList* zone = zones->items; zone; zone = zone->next) {
      ipatch_sf2_gen_item_set_amount(IPATCH_SF2_GEN_ITEM(zone->data), IPATCH_SF2_GEN_SAMPLE_MODES, &loop);
    }
    g_object_unref(zones);
  }
  const std::string looped = soundFont.string() + ".looped";
  IpatchSF2File* out = ipatch_sf2_file_new();
  IpatchSF2Writer* writer = ipatch_sf2_writer_new(ipatch_file_open(IPATCH_FILE(out), looped.c_str(), "w", nullptr), loaded);
  ASSERT_TRUE(ipatch_sf2_writer_save(writer, nullptr));
  for (gpointer object : {static_cast<gpointer>(writer), static_cast<gpointer>(out), static_cast<gpointer>(instruments),
                          static_cast<gpointer>(samples), static_cast<gpointer>(loaded), static_cast<gpointer>(reader),
                          static_cast<gpointer>(file)}) {
    g_object_unref(object);
  }
  fs::rename(looped, soundFont);
}

// A seamless loop holds four times the take without a click; loop points
// that break the waveform's period are heard as one.
TEST(InstrumentFiles, TheCheckHoldsLoopsAndHearsTheirClicks) {
  testing::TempDir temp;
  const fs::path instrument = temp.Path() / "Looped";
  WriteTake(instrument / "PATCH_000" / "PATCH000_A5.WAV", 69, kLoudLevel, 69);
  MakeInstrumentFiles(instrument.string());
  LoopSamples(instrument / "Looped.sf2", 0);
  const InstrumentCheck seamless = CheckInstrument(instrument.string());
  EXPECT_TRUE(seamless.passed) << seamless.summary << "\n" << (seamless.problems.empty() ? "" : seamless.problems[0]);
  EXPECT_NE(seamless.summary.find(", loops seamless"), std::string::npos) << seamless.summary;

  MakeInstrumentFiles(instrument.string());
  LoopSamples(instrument / "Looped.sf2", 37);
  const InstrumentCheck clicking = CheckInstrument(instrument.string());
  ASSERT_EQ(clicking.problems.size(), 1u) << clicking.summary;
  EXPECT_NE(clicking.problems[0].find("PATCH_000 key 69 (A5) velocity 100: a click in the loop"), std::string::npos)
      << clicking.problems[0];
}

TEST(InstrumentFiles, TakeNamesAndRefusals) {
  const auto take = ParseTakeName("PATCH005_C#4_V080_R2.WAV");
  ASSERT_TRUE(take);
  EXPECT_EQ(take->programTag, "005");
  EXPECT_EQ(take->note, 49);
  EXPECT_EQ(take->velocity, 80);
  EXPECT_EQ(take->round, 2);
  const auto plain = ParseTakeName("PATCHXXX_G10.wav");
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->note, 127);
  EXPECT_FALSE(plain->velocity);
  EXPECT_EQ(plain->round, 1);
  for (const char* other : {"PATCH000_C5_R2.WAV", "PATCH000_C5_V80.WAV", "PATCH000_C5_V128.WAV", "PATCH000_H5.WAV",
                            "PATCH000_G#10.WAV", "PATCH00_C5.WAV", "PATCH000_C5.WAV.tmp", "ntr-run.json"}) {
    EXPECT_FALSE(ParseTakeName(other)) << other;
  }

  testing::TempDir temp;
  try {
    MakeInstrumentFiles((temp.Path() / "missing").string());
    ADD_FAILURE() << "no error for a missing folder";
  } catch (const InstrumentError& error) {
    EXPECT_EQ(error.GetKind(), InstrumentError::Kind::FolderMissing);
  }
  // A take without a layer among layered ones, and a second take of one key,
  // layer and round, are left out; an empty take is left out of the SoundFont only.
  WriteTake(temp.Path() / "PATCH_000" / "PATCH000_C5_V100.WAV", 60, 0.5, std::nullopt);
  WriteTake(temp.Path() / "PATCH_000" / "PATCH000_C5.WAV", 60, 0.5, std::nullopt);
  WriteTake(temp.Path() / "PATCH_000" / "PATCH000_D5_V100.WAV", 60, 0.5, 60);
  quendal::SavePcmWav((temp.Path() / "PATCH_000" / "PATCH000_E5_V100.WAV").string(), {kRate, 16, 1}, "");
  const InstrumentFiles made = MakeInstrumentFiles(temp.Path().string());
  EXPECT_EQ(made.takes, 2);
  ASSERT_EQ(made.warnings.size(), 3u);
  EXPECT_NE(made.warnings[2].find("PATCH000_E5_V100.WAV"), std::string::npos) << made.warnings[2];
  EXPECT_TRUE(fs::exists(temp.Path() / (temp.Path().filename().string() + ".sf2")));
}

}  // namespace
}  // namespace ntr::instrument
