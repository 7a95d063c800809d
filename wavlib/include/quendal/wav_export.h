#pragma once
// Marks the classes and functions that QuendalWav exports from its shared library.
// On ELF platforms every symbol is visible by default; Windows needs the
// dllexport/dllimport pair so clients can link the DLL.

#if defined(_WIN32)
#  if defined(QUENDAL_WAV_BUILDING)
#    define QUENDAL_WAV_API __declspec(dllexport)
#  else
#    define QUENDAL_WAV_API __declspec(dllimport)
#  endif
#else
#  define QUENDAL_WAV_API __attribute__((visibility("default")))
#endif
