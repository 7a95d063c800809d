// SPDX-License-Identifier: MIT
// qwav: looks into and mends WAV files with QuendalWav.
//   qwav info FILE                      the chunk model as JSON
//   qwav copy IN OUT                    read IN, write OUT (replacing it)
//   qwav set-unity-note FILE NOTE [OUT] give the file a sampler chunk's unity note
//   qwav --version                      the program's name and the library's version
// Exit codes: info gives the read's result (0, 1, 2); 2 for wrong arguments;
// 3 when reading or writing fails.

#include <charconv>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "quendal/wav.h"
#include "quendal/wav_errors.h"
#include "qwav_json.h"
#include "qwav_model_json.h"
#include "quendal/unity_note.h"

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitFailed = 3;

constexpr const char* kUsage =
    "Usage:\n"
    "  qwav info FILE                       print FILE's chunks as one JSON object\n"
    "  qwav copy IN OUT                     read IN and write it to OUT (OUT is replaced)\n"
    "  qwav set-unity-note FILE NOTE [OUT]  give FILE a sampler chunk with unity note NOTE\n"
    "                                       (0-127), written to OUT or, without OUT, replacing FILE\n"
    "  qwav --help                          show this text\n"
    "  qwav --version                       show qwav's name and version\n"
    "\n"
    "info exits with the read's result: 0 read to its end, 1 not a RIFF file, 2 not a WAVE form;\n"
    "3 when reading fails (the JSON then holds the model as far as it was read and an \"error\"\n"
    "member with its kind and message). copy and set-unity-note exit 0 when done and 3 on a\n"
    "failure. Wrong arguments exit 2.\n";

int Usage(const std::string& problem) {
  std::cerr << "qwav: " << problem << "\n\n" << kUsage;
  return kExitUsage;
}

const char* KindOf(const std::exception& error) {
  if (const auto* wavError = dynamic_cast<const quendal::WavError*>(&error)) return wavError->KindName();
  return "other";
}

int Failed(const std::string& action, const std::exception& error) {
  std::cerr << "qwav: " << action << ": " << error.what() << " (" << KindOf(error) << ")\n";
  return kExitFailed;
}

int Info(const std::string& file) {
  quendal::Wav wav;
  int result = 0;
  const char* errorKind = nullptr;
  std::string errorMessage;
  try {
    result = wav.GetWavFile(file);
  } catch (const std::exception& error) {
    errorKind = KindOf(error);
    errorMessage = error.what();
  }
  qwav::JsonWriter json(std::cout);
  json.BeginObject();
  if (errorKind == nullptr) {
    json.Key("result");
    json.Number(result);
  }
  qwav::WriteModelMembers(json, wav);
  if (errorKind != nullptr) {
    json.Key("error");
    json.BeginObject();
    json.Key("kind");
    json.Bytes(errorKind);
    json.Key("message");
    json.Bytes(errorMessage);
    json.EndObject();
  }
  json.EndObject();
  if (errorKind != nullptr) {
    std::cerr << "qwav: reading " << file << " failed: " << errorMessage << " (" << errorKind << ")\n";
    return kExitFailed;
  }
  return result;
}

// Reads a file that must be a RIFF WAVE file; false (after a message) when it is not.
bool ReadWave(quendal::Wav& wav, const std::string& file) {
  const int result = wav.GetWavFile(file);
  if (result == 1) std::cerr << "qwav: " << file << " is not a RIFF file (it does not begin with \"RIFF\")\n";
  if (result == 2) std::cerr << "qwav: " << file << " is a RIFF file but not a WAVE file\n";
  return result == 0;
}

int Copy(const std::string& in, const std::string& out) {
  quendal::Wav wav;
  try {
    if (!ReadWave(wav, in)) return kExitFailed;
  } catch (const std::exception& error) {
    return Failed("reading " + in + " failed", error);
  }
  try {
    wav.PutWavFile(out, true);
  } catch (const std::exception& error) {
    return Failed("writing " + out + " failed", error);
  }
  return 0;
}

bool ParseNote(std::string_view text, int& note) {
  const auto* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, note);
  return error == std::errc() && stop == end && note >= 0 && note <= 127;
}

int SetUnityNote(const std::string& file, const std::string& noteText, const std::string& out) {
  int note = 0;
  if (!ParseNote(noteText, note)) return Usage("NOTE must be a MIDI note number from 0 to 127, not \"" + noteText + "\"");
  quendal::Wav wav;
  try {
    if (!ReadWave(wav, file)) return kExitFailed;
  } catch (const std::exception& error) {
    return Failed("reading " + file + " failed", error);
  }
  try {
    quendal::ApplyUnityNote(wav, note);
    wav.PutWavFile(out, true);
  } catch (const std::exception& error) {
    return Failed("writing " + out + " failed", error);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage("no command given");
  const std::string& command = args[0];
  if (command == "--help" || command == "-h" || command == "help") {
    if (args.size() != 1) return Usage("--help takes no arguments");
    std::cout << kUsage;
    return 0;
  }
  if (command == "--version") {
    if (args.size() != 1) return Usage("--version takes no arguments");
    std::cout << "qwav (QuendalWav) " << QWAV_VERSION << "\n";
    return 0;
  }
  if (command == "info") {
    if (args.size() != 2) return Usage("info takes one FILE");
    return Info(args[1]);
  }
  if (command == "copy") {
    if (args.size() != 3) return Usage("copy takes IN and OUT");
    return Copy(args[1], args[2]);
  }
  if (command == "set-unity-note") {
    if (args.size() != 3 && args.size() != 4) return Usage("set-unity-note takes FILE, NOTE and an optional OUT");
    return SetUnityNote(args[1], args[2], args.size() == 4 ? args[3] : args[1]);
  }
  return Usage("unknown command \"" + command + "\"");
}
