// SPDX-License-Identifier: MIT
// Writes and reads back a small file through the installed library.
#include <quendal/quendal_wav.h>

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : (std::filesystem::temp_directory_path() / "consumer.wav").string();
  quendal::SavePcmWav(path, {22050, 16, 1}, std::string(100, '\0'));
  const auto wav = quendal::MakePcmWav({22050, 8, 1}, "x");
  quendal::ApplyUnityNote(*wav, 60);
  if (wav->PutWavFile(path + ".tagged", true) != 0) return 1;
  std::filesystem::remove(path + ".tagged");
  quendal::Wav back;
  const int result = back.GetWavFile(path);
  std::filesystem::remove(path);
  std::printf("result %d rate %d\n", result, back.Fmt_Chunk->SampleRate);
  return result == 0 && back.Fmt_Chunk->SampleRate == 22050 ? 0 : 1;
}
