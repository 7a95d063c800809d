// SPDX-License-Identifier: MIT
// The chunk model: a new Wav, shared references, and the keyed collections.

#include <gtest/gtest.h>

#include <vector>

#include "quendal/quendal_wav.h"

using namespace quendal;

TEST(NewWav, IsACompleteEmptyModel) {
  Wav wav;
  EXPECT_EQ(wav.SmplChunk->ChunkId, "");
  EXPECT_EQ(wav.SmplChunk->MIDIUnityNote, 0);
  EXPECT_EQ(wav.SmplChunk->WavSmplLoops->Count(), 0);
  EXPECT_EQ(wav.ListChunk->WavLabls->Count(), 0);
  EXPECT_EQ(wav.Fmt_Chunk->SampleRate, 0);
  EXPECT_EQ(wav.InstChunk->FineTune, 0);
  // Four generic chunks, four distinct objects.
  std::vector<const WavChunk*> generic = {wav.FileHeader.get(), wav.DataChunk.get(), wav.WavlChunk.get(),
                                          wav.PAD_Chunk.get()};
  for (std::size_t i = 0; i < generic.size(); ++i) {
    for (std::size_t j = i + 1; j < generic.size(); ++j) EXPECT_NE(generic[i], generic[j]);
  }
  // Each Wav has its own chunks.
  Wav other;
  EXPECT_NE(wav.SmplChunk, other.SmplChunk);
}

TEST(SharedReferences, ReplacingAChunkKeepsTheOldOneAliveForItsHolder) {
  std::shared_ptr<WavSmpl> old;
  {
    Wav wav;
    old = wav.SmplChunk;
    old->MIDIUnityNote = 61;
    auto replacement = std::make_shared<WavSmpl>();
    replacement->MIDIUnityNote = 72;
    wav.SmplChunk = replacement;
    EXPECT_EQ(wav.SmplChunk->MIDIUnityNote, 72);
    EXPECT_EQ(wav.SmplChunk, replacement);
    wav.SmplChunk->ChunkSize = 99;  // setting a size changes nothing else
    EXPECT_EQ(wav.SmplChunk->SampleLoopsNumber, 0);
  }
  EXPECT_EQ(old->MIDIUnityNote, 61);  // the Wav is gone, the chunk lives on
}

TEST(Collection, PositionsRunFromOneInOrderOfAdding) {
  WavLabls labels;
  labels.Add("labl", 5, 1, "a", "first");
  labels.Add("labl", 5, 2, "b");
  labels.Add("labl", 5, 3, "c", "third");
  auto fourth = labels.Add("labl", 5, 4, "d", "");  // no key: by position only
  EXPECT_EQ(labels.Count(), 4);
  EXPECT_EQ(labels.Item(4), fourth);
  EXPECT_EQ(labels[2]->LabelText, "b");
  EXPECT_EQ(labels.Item("FIRST")->CuePointID, 1);  // keys ignore letter case
  EXPECT_EQ(labels["Third"]->CuePointID, 3);
  EXPECT_THROW(labels.Item(""), NoSuchItemError);  // an empty key names no item
  std::vector<int32_t> order;
  for (const auto& label : labels) order.push_back(label->CuePointID);
  EXPECT_EQ(order, (std::vector<int32_t>{1, 2, 3, 4}));
}

TEST(Collection, AddReturnsTheObjectHeld) {
  Wav wav;
  auto loop = wav.SmplChunk->WavSmplLoops->Add(1, 0, 100, 200, 0, 0, "main");
  loop->LoopEnd = 300;
  EXPECT_EQ(wav.SmplChunk->WavSmplLoops->Item(1)->LoopEnd, 300);
  wav.SmplChunk->WavSmplLoops->Item("MAIN")->LoopStart = 50;
  EXPECT_EQ(loop->LoopStart, 50);
}

TEST(Collection, DuplicateKeyInAnyCaseFailsAndAddsNothing) {
  WavUnknown chunks;
  chunks.Add("bext", 2, "ab", "Bext");
  EXPECT_THROW(chunks.Add("bext", 2, "cd", "bEXT"), DuplicateKeyError);
  EXPECT_EQ(chunks.Count(), 1);
  EXPECT_EQ(chunks.Item("bext")->ChunkData, "ab");
}

TEST(Collection, RemoveMovesLaterItemsForwardAndFreesTheKey) {
  Wav wav;
  auto& points = *wav.CueChunk->WavCuePoints;
  points.Add(1, 0, "data", 0, 0, 10, "one");
  auto second = points.Add(2, 0, "data", 0, 0, 20, "two");
  points.Add(3, 0, "data", 0, 0, 30);
  points.Remove(1);
  EXPECT_EQ(points.Count(), 2);
  EXPECT_EQ(points.Item(1), second);
  EXPECT_THROW(points.Item("one"), NoSuchItemError);
  points.Add(4, 0, "data", 0, 0, 40, "ONE");  // the removed item's key is free again
  points.Remove("Two");
  EXPECT_EQ(points.Item(1)->CueID, 3);
  EXPECT_EQ(points.Item("one")->CueID, 4);
}

TEST(Collection, BadPositionsAndKeysFailAndChangeNothing) {
  WavPlst plst;
  plst.WavPlstSegs->Add(1, 100, 1, "k");
  EXPECT_THROW(plst.WavPlstSegs->Item(0), NoSuchItemError);
  EXPECT_THROW(plst.WavPlstSegs->Item(2), NoSuchItemError);
  EXPECT_THROW(plst.WavPlstSegs->Item(-1), NoSuchItemError);
  EXPECT_THROW(plst.WavPlstSegs->Item("missing"), NoSuchItemError);
  EXPECT_THROW(plst.WavPlstSegs->Remove(2), NoSuchItemError);
  EXPECT_THROW(plst.WavPlstSegs->Remove("missing"), NoSuchItemError);
  EXPECT_EQ(plst.WavPlstSegs->Count(), 1);
}

TEST(Collection, RemoveAllEmptiesAnySize) {
  WavNotes notes;
  notes.RemoveAll();
  EXPECT_EQ(notes.Count(), 0);
  for (int i = 0; i < 1000; ++i) notes.Add("note", 6, i, "x", "k" + std::to_string(i));
  auto kept = notes.Item(500);
  notes.RemoveAll();
  EXPECT_EQ(notes.Count(), 0);
  EXPECT_EQ(kept->CuePointID, 499);  // an item a client holds survives
  notes.Add("note", 6, 1, "x", "k1");  // and the keys are gone
  EXPECT_EQ(notes.Count(), 1);
}

TEST(Collection, CountsAndCollectionsAreIndependent) {
  Wav wav;
  wav.CueChunk->WavCuePoints->Add(1, 0, "data", 0, 0, 0);
  wav.CueChunk->WavCuePoints->Add(2, 0, "data", 0, 0, 0);
  EXPECT_EQ(wav.CueChunk->CuePointsNumber, 0);
  wav.SmplChunk->SampleLoopsNumber = 5;
  EXPECT_EQ(wav.SmplChunk->WavSmplLoops->Count(), 0);
}

TEST(Collection, LtxtAddTakesItsTenFieldsInOrder) {
  WavList list;
  auto text = list.WavLtxts->Add("ltxt", 21, 7, 4410, "rgn ", 1, 2, 3, 4, std::string("t\0", 2));
  EXPECT_EQ(text->ChunkId, "ltxt");
  EXPECT_EQ(text->ChunkSize, 21);
  EXPECT_EQ(text->CuePointID, 7);
  EXPECT_EQ(text->SampleLength, 4410);
  EXPECT_EQ(text->PurposeID, "rgn ");
  EXPECT_EQ(text->Country, 1);
  EXPECT_EQ(text->Language, 2);
  EXPECT_EQ(text->Dialect, 3);
  EXPECT_EQ(text->CodePage, 4);
  EXPECT_EQ(text->LtxtText, std::string("t\0", 2));
}
