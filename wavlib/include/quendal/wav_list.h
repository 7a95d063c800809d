// SPDX-License-Identifier: MIT
#pragma once
// The list chunk ("list" or "LIST") with its labels, notes and labelled texts.
// Texts keep every byte of the file: the terminating zero and any pad byte.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "quendal/wav_collection.h"
#include "quendal/wav_export.h"

namespace quendal {

class QUENDAL_WAV_API WavLabl {
 public:
  std::string ChunkId;  // "labl" when read
  int32_t ChunkSize = 0;
  int32_t CuePointID = 0;
  std::string LabelText;
};

class QUENDAL_WAV_API WavNote {
 public:
  std::string ChunkId;  // "note" when read
  int32_t ChunkSize = 0;
  int32_t CuePointID = 0;
  std::string NoteText;
};

class QUENDAL_WAV_API WavLtxt {
 public:
  std::string ChunkId;  // "ltxt" when read
  int32_t ChunkSize = 0;
  int32_t CuePointID = 0;
  int32_t SampleLength = 0;  // samples covered
  std::string PurposeID;     // four-character purpose code
  int32_t Country = 0;
  int32_t Language = 0;
  int32_t Dialect = 0;
  int32_t CodePage = 0;
  std::string LtxtText;
};

class QUENDAL_WAV_API WavLabls : public WavCollection<WavLabl> {
 public:
  std::shared_ptr<WavLabl> Add(const std::string& ChunkId, int32_t ChunkSize, int32_t CuePointID,
                               const std::string& LabelText, std::string_view sKey = {});
};

class QUENDAL_WAV_API WavNotes : public WavCollection<WavNote> {
 public:
  std::shared_ptr<WavNote> Add(const std::string& ChunkId, int32_t ChunkSize, int32_t CuePointID,
                               const std::string& NoteText, std::string_view sKey = {});
};

class QUENDAL_WAV_API WavLtxts : public WavCollection<WavLtxt> {
 public:
  std::shared_ptr<WavLtxt> Add(const std::string& ChunkId, int32_t ChunkSize, int32_t CuePointID,
                               int32_t SampleLength, const std::string& PurposeID, int32_t Country,
                               int32_t Language, int32_t Dialect, int32_t CodePage, const std::string& LtxtText,
                               std::string_view sKey = {});
};

enum class WavListItemKind : uint8_t { Labl, Note, Ltxt };

// The associated-data list: the reader fills it from "adtl" lists only.
class QUENDAL_WAV_API WavList {
 public:
  std::string ChunkId;  // "list" or "LIST", as read
  int32_t ChunkSize = 0;
  std::string TypeID;   // the list's four-character type, e.g. "adtl"
  std::shared_ptr<::quendal::WavLabls> WavLabls = std::make_shared<::quendal::WavLabls>();
  std::shared_ptr<::quendal::WavLtxts> WavLtxts = std::make_shared<::quendal::WavLtxts>();
  std::shared_ptr<::quendal::WavNotes> WavNotes = std::make_shared<::quendal::WavNotes>();
  // The order in which the reader met the items, so that the writer keeps
  // labels, notes and labelled texts interleaved as they were. The writer
  // follows it as far as the collections have items, then writes what is
  // left: all labels, then all notes, then all labelled texts (the whole list
  // for a list built by a client, whose ItemOrder is empty).
  std::vector<WavListItemKind> ItemOrder;
  // Everything from the first sub-chunk this library does not model (a
  // "file" entry, for instance) to the end of the list, as read (of each list
  // merged into this one, in turn); written back after the items.
  std::string TrailingBytes;
};

}  // namespace quendal
