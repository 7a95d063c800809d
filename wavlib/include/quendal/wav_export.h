// SPDX-License-Identifier: MIT
#pragma once
// Marks the classes and functions that QuendalWav exports from its shared
// library; everything else is built hidden. Windows needs the
// dllexport/dllimport pair so clients can link the DLL; a static build
// (QUENDAL_WAV_STATIC, set by the CMake package) needs neither.

#if defined(QUENDAL_WAV_STATIC)
#  define QUENDAL_WAV_API
#elif defined(_WIN32)
#  if defined(QUENDAL_WAV_BUILDING)
#    define QUENDAL_WAV_API __declspec(dllexport)
#  else
#    define QUENDAL_WAV_API __declspec(dllimport)
#  endif
#else
#  define QUENDAL_WAV_API __attribute__((visibility("default")))
#endif
