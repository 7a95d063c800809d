// Writes and reads back a small file through the installed library.
#include <quendal/quendal_wav.h>

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : (std::filesystem::temp_directory_path() / "consumer.wav").string();
  quendal::Wav wav;
  wav.FileHeader->ChunkId = "RIFF";
  wav.FileHeader->ChunkData = "WAVE";
  wav.Fmt_Chunk->ChunkId = "fmt ";
  wav.Fmt_Chunk->ChunkSize = 16;
  wav.Fmt_Chunk->SampleRate = 22050;
  wav.DataChunk->ChunkId = "data";
  if (wav.PutWavFile(path, true) != 0) return 1;
  quendal::Wav back;
  const int result = back.GetWavFile(path);
  std::filesystem::remove(path);
  std::printf("result %d rate %d\n", result, back.Fmt_Chunk->SampleRate);
  return result == 0 && back.Fmt_Chunk->SampleRate == 22050 ? 0 : 1;
}
