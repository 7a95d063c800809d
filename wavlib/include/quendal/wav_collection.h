// SPDX-License-Identifier: MIT
#pragma once
// The ordered collection that every repeated record of the model lives in.
// Positions run from 1 in the order of adding; an item may carry a text key,
// unique within the collection and compared without regard to letter case.
// Items are shared references: Item() returns the object held, not a copy.
// The concrete collections (WavCuePoints, WavSmplLoops, ...) add an Add()
// that takes their item's fields in order.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "quendal/wav_errors.h"

namespace quendal {

namespace detail {
// ASCII case folding: keys are byte strings, so no locale takes part.
inline std::string FoldKey(std::string_view key) {
  std::string folded(key);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}
}  // namespace detail

template <class T>
class WavCollection {
 public:
  using value_type = std::shared_ptr<T>;
  using const_iterator = typename std::vector<std::shared_ptr<T>>::const_iterator;

  int32_t Count() const noexcept { return static_cast<int32_t>(items_.size()); }

  // By position, 1 to Count().
  std::shared_ptr<T> Item(int32_t vntIndex) const { return items_[PositionOf(vntIndex)]; }
  // By key, compared without regard to letter case.
  std::shared_ptr<T> Item(std::string_view vntKey) const { return index_.at(KeyHeld(vntKey)); }
  std::shared_ptr<T> Item(const char* vntKey) const { return Item(std::string_view(vntKey)); }
  std::shared_ptr<T> Item(const std::string& vntKey) const { return Item(std::string_view(vntKey)); }

  // The default member: collection[2] or collection["key"].
  std::shared_ptr<T> operator[](int32_t vntIndex) const { return Item(vntIndex); }
  std::shared_ptr<T> operator[](std::string_view vntKey) const { return Item(vntKey); }
  std::shared_ptr<T> operator[](const char* vntKey) const { return Item(vntKey); }
  std::shared_ptr<T> operator[](const std::string& vntKey) const { return Item(vntKey); }

  // Removes one item; every later item moves one position forward.
  void Remove(int32_t vntIndex) { EraseAt(PositionOf(vntIndex)); }
  void Remove(std::string_view vntKey) { EraseAt(PositionOf(vntKey)); }
  void Remove(const char* vntKey) { Remove(std::string_view(vntKey)); }
  void Remove(const std::string& vntKey) { Remove(std::string_view(vntKey)); }

  // Empties the collection, releasing the items first to last.
  void RemoveAll() {
    std::vector<std::shared_ptr<T>> released;
    released.swap(items_);
    keys_.clear();
    index_.clear();
    for (auto& item : released) item.reset();
  }

  // Range-for over the items in position order (the collection's enumerator).
  const_iterator begin() const noexcept { return items_.cbegin(); }
  const_iterator end() const noexcept { return items_.cend(); }
  const_iterator NewEnum() const noexcept { return begin(); }

 protected:
  WavCollection() = default;
  ~WavCollection() = default;
  WavCollection(const WavCollection&) = default;
  WavCollection& operator=(const WavCollection&) = default;

  // Appends item, under sKey unless it is empty. A key already held, in any
  // letter case, fails and leaves the collection as it was.
  std::shared_ptr<T> Append(std::shared_ptr<T> item, std::string_view sKey) {
    std::string folded;
    if (!sKey.empty()) {
      folded = detail::FoldKey(sKey);
      if (index_.count(folded) != 0) {
        throw DuplicateKeyError("the key \"" + std::string(sKey) + "\" is already used in this collection");
      }
    }
    // Room first, so nothing below can fail half-way; grown by doubling, so
    // a file of many chunks is read in linear time.
    Reserve(items_);
    Reserve(keys_);
    if (!sKey.empty()) index_.emplace(folded, item);
    items_.push_back(item);
    keys_.push_back(std::move(folded));
    return item;
  }

 private:
  template <typename V>
  static void Reserve(V& items) {
    if (items.size() == items.capacity()) items.reserve(items.empty() ? 4 : items.size() * 2);
  }

  std::size_t PositionOf(int32_t index) const {
    if (index < 1 || static_cast<std::size_t>(index) > items_.size()) {
      throw NoSuchItemError("position " + std::to_string(index) + " is not in this collection of " +
                            std::to_string(items_.size()) + " items");
    }
    return static_cast<std::size_t>(index - 1);
  }

  // The folded form of a key that the collection holds.
  std::string KeyHeld(std::string_view key) const {
    std::string folded = detail::FoldKey(key);
    if (key.empty() || index_.count(folded) == 0) {
      throw NoSuchItemError("the key \"" + std::string(key) + "\" is not in this collection");
    }
    return folded;
  }

  std::size_t PositionOf(std::string_view key) const {
    const T* held = index_.at(KeyHeld(key)).get();
    std::size_t position = 0;
    while (items_[position].get() != held) ++position;
    return position;
  }

  void EraseAt(std::size_t position) {
    if (!keys_[position].empty()) index_.erase(keys_[position]);
    keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(position));
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(position));
  }

  std::vector<std::shared_ptr<T>> items_;
  std::vector<std::string> keys_;                // folded key per position, "" for none
  std::unordered_map<std::string, std::shared_ptr<T>> index_;  // folded key -> item
};

}  // namespace quendal
