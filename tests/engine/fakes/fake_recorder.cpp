// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes/fake_recorder.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>

#include "engine/events/midi_messages.h"
#include "fakes/fake_midi_output.h"
#include "quendal/pcm_wav.h"

namespace ntr::fakes {

namespace {

bool Supported(const RecordingFormat& f) {
  return (f.samplesPerSec == 11025 || f.samplesPerSec == 22050 || f.samplesPerSec == 44100) &&
         (f.bitsPerSample == 8 || f.bitsPerSample == 16) && (f.channels == 1 || f.channels == 2);
}

}  // namespace

std::string PcmTone(const RecordingFormat& format, long frames, double frequency) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(frames * format.channels * format.bitsPerSample / 8));
  for (long i = 0; i < frames; ++i) {
    const double value = 0.5 * std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(i) /
                                        static_cast<double>(format.samplesPerSec));
    for (int c = 0; c < format.channels; ++c) {
      if (format.bitsPerSample == 8) {
        bytes += static_cast<char>(static_cast<unsigned char>(std::lround(128.0 + 127.0 * value)));
      } else {
        const auto sample = static_cast<std::int16_t>(std::lround(32767.0 * value));
        const auto u = static_cast<std::uint16_t>(sample);
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
      }
    }
  }
  return bytes;
}

void WritePcmWav(const std::string& path, const RecordingFormat& format, long frames,
                 const std::function<void(quendal::Wav&)>& decorate) {
  const auto wav = quendal::MakePcmWav({format.samplesPerSec, format.bitsPerSample, format.channels},
                                       PcmTone(format, frames));
  if (decorate) decorate(*wav);
  if (wav->PutWavFile(path, true) != 0) throw DeviceError("the recording was not written to " + path);
}

void EndSoundAtNoteOff(FakeRecorder& recorder, const FakeMidiOutput& midi) {
  recorder.soundEnds = [&midi](double start, double stop) -> std::optional<double> {
    std::optional<double> end;
    for (const auto& m : midi.sent) {
      if ((midi::StatusByte(m.message) & 0xF0) == 0x80 && m.time >= start && m.time < stop) end = m.time + 0.05;
    }
    return end;
  };
}

void FakeRecorder::FailAt(RecorderOp op, std::string message, int occurrence) {
  failures_.push_back({op, std::move(message), occurrence, false});
}

void FakeRecorder::DropoutAt(RecorderOp op, std::string message, int occurrence) {
  failures_.push_back({op, std::move(message), occurrence, true});
}

int FakeRecorder::Count(RecorderOp op) const {
  int count = 0;
  for (const RecorderCall& call : calls) count += call.op == op ? 1 : 0;
  return count;
}

void FakeRecorder::Log(RecorderOp op, const std::string& path) { calls.push_back({op, clock_.Now(), path}); }

void FakeRecorder::MaybeFail(RecorderOp op, const std::string& path) {
  for (const Failure& failure : failures_) {
    if (failure.op == op && failure.occurrence == Count(op)) {
      if (op == RecorderOp::Save) std::ofstream(path, std::ios::binary) << "RIFF";
      if (failure.dropout) throw AudioDropoutError(failure.message);
      throw DeviceError(failure.message);
    }
  }
}

void FakeRecorder::NewRecording() {
  Log(RecorderOp::NewRecording);
  if (phase_ != Phase::Closed) violations.push_back("NewRecording while a recording is open");
  MaybeFail(RecorderOp::NewRecording);
  phase_ = Phase::Open;
}

void FakeRecorder::SetFormat(const RecordingFormat& format) {
  Log(RecorderOp::SetFormat);
  formatsSet.push_back(format);
  if (phase_ != Phase::Open) violations.push_back("SetFormat outside a new recording");
  MaybeFail(RecorderOp::SetFormat);
  if (refuseOddFormats && !Supported(format)) throw DeviceError("the input device does not offer this format");
  format_ = format;
}

void FakeRecorder::Record() {
  Log(RecorderOp::Record);
  if (phase_ != Phase::Open) violations.push_back("Record without a new recording");
  MaybeFail(RecorderOp::Record);
  recordStart_ = clock_.Now();
  phase_ = Phase::Recording;
}

void FakeRecorder::Stop() {
  Log(RecorderOp::Stop);
  if (phase_ != Phase::Recording) violations.push_back("Stop while not recording");
  MaybeFail(RecorderOp::Stop);
  recordStop_ = clock_.Now();
  phase_ = Phase::Stopped;
}

void FakeRecorder::Save(const std::string& path) {
  Log(RecorderOp::Save, path);
  if (onSave) onSave(path);
  if (phase_ != Phase::Stopped) violations.push_back("Save before Stop");
  MaybeFail(RecorderOp::Save, path);
  const long frames = std::lround((recordStop_ - recordStart_) * format_.samplesPerSec);
  try {
    const bool silent = sounds && !sounds(recordStart_, recordStop_);
    const char zero = format_.bitsPerSample == 8 ? static_cast<char>(0x80) : '\0';
    const std::optional<double> end = soundEnds ? soundEnds(recordStart_, recordStop_) : std::nullopt;
    WritePcmWav(path, format_, frames, [&](quendal::Wav& wav) {
      std::string& data = wav.DataChunk->ChunkData;
      if (silent) std::fill(data.begin(), data.end(), zero);
      if (end) {
        const auto frameBytes = static_cast<std::size_t>(format_.channels * format_.bitsPerSample / 8);
        const auto from = static_cast<std::size_t>(std::max(0L, std::lround((*end - recordStart_) * format_.samplesPerSec)));
        if (from * frameBytes < data.size()) std::fill(data.begin() + static_cast<std::ptrdiff_t>(from * frameBytes), data.end(), zero);
      }
      if (decorate) decorate(wav);
    });
  } catch (const std::exception& error) {
    throw DeviceError(std::string("the recording could not be saved: ") + error.what());
  }
  savedPaths.push_back(path);
}

void FakeRecorder::Close() {
  Log(RecorderOp::Close);
  phase_ = Phase::Closed;
}

void FakeRecorder::EndOfRun() {
  Log(RecorderOp::EndOfRun);
  if (phase_ != Phase::Closed) violations.push_back("EndOfRun while a recording is open");
}

}  // namespace ntr::fakes
