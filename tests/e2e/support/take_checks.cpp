// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/take_checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <quendal/quendal_wav.h>

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include "engine/takes/sample_coding.h"
#include "session/run_journal.h"
#include "support/audio_analysis.h"

namespace ntr::e2e {

double Take::Seconds() const {
  if (sampleRate <= 0 || channels <= 0) return 0;
  return static_cast<double>(samples.size() / static_cast<std::size_t>(channels)) / sampleRate;
}

std::vector<float> Take::Mono() const {
  test::DecodedWav wav;
  wav.sampleRate = sampleRate;
  wav.channels = channels;
  wav.samples = samples;
  return test::Channel(wav, -1);
}

Take ReadTake(const std::string& path) {
  Take take;
  quendal::Wav wav;
  take.result = wav.GetWavFile(path);
  take.compressionCode = wav.Fmt_Chunk->CompressionCode;
  take.sampleRate = wav.Fmt_Chunk->SampleRate;
  take.bitsPerSample = wav.Fmt_Chunk->BitsPerSample;
  take.channels = wav.Fmt_Chunk->ChannelsNumber;
  take.hasSmpl = wav.SmplChunk->ChunkId == "smpl";
  if (take.hasSmpl) take.unityNote = wav.SmplChunk->MIDIUnityNote;

  const std::string& data = wav.DataChunk->ChunkData;
  if (const auto coding = CodingOf(take.compressionCode, take.bitsPerSample)) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    for (std::size_t at = 0; at + coding->Bytes() <= data.size(); at += coding->Bytes()) {
      bool atFullScale = false;
      take.samples.push_back(static_cast<float>(DecodeSample(bytes + at, *coding, atFullScale)));
    }
  }
  return take;
}

TakeFigures ExpectGoodTake(const std::string& path, const TakeExpectation& expected) {
  SCOPED_TRACE(path);
  TakeFigures figures;
  Take take;
  try {
    take = ReadTake(path);
  } catch (const std::exception& error) {
    ADD_FAILURE() << "QuendalWav cannot read the take: " << error.what();
    return figures;
  }
  EXPECT_EQ(take.result, 0);
  EXPECT_EQ(take.compressionCode, expected.bitsPerSample == 32 ? 3 : 1);  // 32 bits: IEEE float
  EXPECT_EQ(take.sampleRate, expected.sampleRate);
  EXPECT_EQ(take.bitsPerSample, expected.bitsPerSample);
  EXPECT_EQ(take.channels, expected.channels);
  EXPECT_EQ(take.hasSmpl, expected.tagged);
  if (expected.tagged) {
    EXPECT_EQ(take.unityNote, expected.note);
  }
  if (take.sampleRate != expected.sampleRate || take.channels != expected.channels) return figures;

  figures.seconds = take.Seconds();
  const double asked = expected.heldSeconds + expected.decaySeconds;
  EXPECT_GE(figures.seconds, asked - expected.shortestShortfallSeconds) << "asked for " << asked << " s";
  EXPECT_LE(figures.seconds, asked + expected.longestOverheadSeconds) << "asked for " << asked << " s";

  const std::vector<float> mono = take.Mono();
  figures.peak = test::Peak(take.samples);
  EXPECT_GT(figures.peak, 0.02f) << "the take is silent";
  const auto fullScale = static_cast<float>(1.0 - std::ldexp(2.0, -take.bitsPerSample));
  std::size_t clipped = 0;
  for (const float sample : take.samples) clipped += std::fabs(sample) >= fullScale ? 1 : 0;
  EXPECT_EQ(clipped, 0u) << "samples at full scale: the take is clipped";

  const long onset = test::FirstAbove(mono, 0.2f * test::Peak(mono));
  EXPECT_GE(onset, 0) << "no onset";
  if (onset < 0) return figures;
  // The steady part of the held note, after the attack.
  const auto rate = static_cast<std::size_t>(take.sampleRate);
  const std::size_t start = static_cast<std::size_t>(onset) + rate * 40 / 1000;
  const double hz = test::FundamentalNear(mono, take.sampleRate, test::NoteHz(expected.note), start, rate * 150 / 1000);
  EXPECT_GT(hz, 0) << "no pitch found";
  if (hz > 0) {
    figures.cents = test::Cents(hz, test::NoteHz(expected.note));
    EXPECT_LT(std::fabs(figures.cents), 25.0) << hz << " Hz for note " << expected.note;
  }
  return figures;
}

std::set<std::string> FilesUnder(const std::string& root) {
  std::set<std::string> files;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(root, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_regular_file()) files.insert(std::filesystem::relative(it->path(), root).generic_string());
  }
  return files;
}

std::set<std::string> ExpectedTakes(const std::string& gearFolder, const std::vector<std::string>& programTags,
                                    const std::vector<std::string>& noteNames) {
  std::set<std::string> files{gearFolder + "/ntr-run.json"};
  for (const std::string& tag : programTags) {
    for (const std::string& note : noteNames) {
      files.insert(gearFolder + "/PATCH_" + tag + "/PATCH" + tag + "_" + note + ".WAV");
    }
  }
  return files;
}

RunReportFigures ReadRunReport(const std::string& path) {
  RunReportFigures figures;
  const QJsonObject report = session::ReadRunReport(QFileInfo(QString::fromStdString(path)).path());
  if (report.isEmpty()) return figures;
  figures.valid = true;
  figures.outcome = report.value(QStringLiteral("outcome")).toString().toStdString();
  for (const QJsonValue take : report.value(QStringLiteral("takes")).toArray()) {
    const QJsonObject object = take.toObject();
    figures.files.push_back(object.value(QStringLiteral("file")).toString().toStdString());
    figures.statuses.push_back(object.value(QStringLiteral("status")).toString().toStdString());
    figures.velocities.push_back(object.value(QStringLiteral("velocity")).toString().toStdString());
    figures.rounds.push_back(object.value(QStringLiteral("round")).toInt());
  }
  figures.levelChecks = static_cast<int>(report.value(QStringLiteral("levelChecks")).toArray().size());
  return figures;
}

}  // namespace ntr::e2e
