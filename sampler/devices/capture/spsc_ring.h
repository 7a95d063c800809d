// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A single-producer, single-consumer ring of samples: the audio callback
// writes, one other thread reads. Wait-free and allocation-free after
// construction, so the audio thread never blocks on it.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <vector>

namespace ntr {

template <typename T>
class SpscRing {
 public:
  // Holds at least `capacity` items (rounded up to a power of two).
  explicit SpscRing(std::size_t capacity) {
    std::size_t size = 1;
    while (size < capacity) size <<= 1;
    items_.resize(size);
    mask_ = size - 1;
  }

  std::size_t Capacity() const { return items_.size(); }

  // Producer: room left for writing.
  std::size_t WritableCount() const {
    return items_.size() - (head_.load(std::memory_order_relaxed) - tail_.load(std::memory_order_acquire));
  }

  // Producer: copies all `count` items or none; false when they do not fit.
  bool Write(const T* data, std::size_t count) {
    const std::size_t head = head_.load(std::memory_order_relaxed);
    const std::size_t tail = tail_.load(std::memory_order_acquire);
    if (items_.size() - (head - tail) < count) return false;
    for (std::size_t i = 0; i < count; ++i) items_[(head + i) & mask_] = data[i];
    head_.store(head + count, std::memory_order_release);
    return true;
  }

  // Consumer: appends everything readable to `out`; returns how many items.
  std::size_t ReadAllInto(std::vector<T>& out) {
    const std::size_t tail = tail_.load(std::memory_order_relaxed);
    const std::size_t head = head_.load(std::memory_order_acquire);
    const std::size_t count = head - tail;
    const std::size_t start = tail & mask_;
    const std::size_t first = std::min(count, items_.size() - start);  // up to the end of the storage
    out.insert(out.end(), items_.begin() + static_cast<std::ptrdiff_t>(start),
               items_.begin() + static_cast<std::ptrdiff_t>(start + first));
    out.insert(out.end(), items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(count - first));
    tail_.store(head, std::memory_order_release);
    return count;
  }

 private:
  std::vector<T> items_;
  std::size_t mask_ = 0;
  alignas(64) std::atomic<std::size_t> head_{0};  // written by the producer
  alignas(64) std::atomic<std::size_t> tail_{0};  // written by the consumer
};

}  // namespace ntr
