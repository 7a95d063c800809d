// SPDX-License-Identifier: MIT
#pragma once
// The library's errors. Expected outcomes of GetWavFile and PutWavFile are
// result codes; everything else is one of these exceptions, raised to the caller
// (the library catches nothing of its own). Each carries a readable message.

#include <stdexcept>
#include <string>

#include "quendal/wav_export.h"

namespace quendal {

enum class WavErrorKind {
  Overflow,        // a number does not fit its field or a 16-bit limit
  EndOfFile,       // a read found no byte left (file ends inside a header or record)
  FileAccess,      // a file cannot be opened, created, written or replaced
  DuplicateKey,    // Add with a key the collection already holds
  NoSuchItem,      // Item or Remove with a position or key the collection lacks
  EmptyReference,  // an object-valued property holds no object
  InvalidValue,    // a value that makes an operation meaningless (a sample rate of 0)
};

class QUENDAL_WAV_API WavError : public std::runtime_error {
 public:
  WavError(WavErrorKind kind, const std::string& message);
  WavErrorKind Kind() const noexcept { return kind_; }
  // Short stable word for the kind ("overflow", "end_of_file", "file",
  // "duplicate_key", "no_such_item", "empty_reference", "invalid_value").
  const char* KindName() const noexcept;

 private:
  WavErrorKind kind_;
};

class QUENDAL_WAV_API OverflowError : public WavError {
 public:
  explicit OverflowError(const std::string& message);
};

class QUENDAL_WAV_API EndOfFileError : public WavError {
 public:
  explicit EndOfFileError(const std::string& message);
};

class QUENDAL_WAV_API FileAccessError : public WavError {
 public:
  explicit FileAccessError(const std::string& message);
};

class QUENDAL_WAV_API DuplicateKeyError : public WavError {
 public:
  explicit DuplicateKeyError(const std::string& message);
};

class QUENDAL_WAV_API NoSuchItemError : public WavError {
 public:
  explicit NoSuchItemError(const std::string& message);
};

class QUENDAL_WAV_API EmptyReferenceError : public WavError {
 public:
  explicit EmptyReferenceError(const std::string& message);
};

class QUENDAL_WAV_API InvalidValueError : public WavError {
 public:
  explicit InvalidValueError(const std::string& message);
};

// The short word of a kind, as KindName() gives it.
QUENDAL_WAV_API const char* WavErrorKindName(WavErrorKind kind) noexcept;

}  // namespace quendal
