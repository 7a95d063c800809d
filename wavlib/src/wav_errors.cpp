// SPDX-License-Identifier: MIT
#include "quendal/wav_errors.h"

namespace quendal {

const char* WavErrorKindName(WavErrorKind kind) noexcept {
  switch (kind) {
    case WavErrorKind::Overflow: return "overflow";
    case WavErrorKind::EndOfFile: return "end_of_file";
    case WavErrorKind::FileAccess: return "file";
    case WavErrorKind::DuplicateKey: return "duplicate_key";
    case WavErrorKind::NoSuchItem: return "no_such_item";
    case WavErrorKind::EmptyReference: return "empty_reference";
    case WavErrorKind::InvalidValue: return "invalid_value";
  }
  return "error";
}

WavError::WavError(WavErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}

const char* WavError::KindName() const noexcept { return WavErrorKindName(kind_); }

OverflowError::OverflowError(const std::string& message) : WavError(WavErrorKind::Overflow, message) {}
EndOfFileError::EndOfFileError(const std::string& message) : WavError(WavErrorKind::EndOfFile, message) {}
FileAccessError::FileAccessError(const std::string& message) : WavError(WavErrorKind::FileAccess, message) {}
DuplicateKeyError::DuplicateKeyError(const std::string& message) : WavError(WavErrorKind::DuplicateKey, message) {}
NoSuchItemError::NoSuchItemError(const std::string& message) : WavError(WavErrorKind::NoSuchItem, message) {}
EmptyReferenceError::EmptyReferenceError(const std::string& message)
    : WavError(WavErrorKind::EmptyReference, message) {}
InvalidValueError::InvalidValueError(const std::string& message) : WavError(WavErrorKind::InvalidValue, message) {}

}  // namespace quendal
