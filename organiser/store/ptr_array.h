#pragma once
// The organiser's one growable list: pointer slots with a capacity, a count
// and an ownership flag. An owning array deletes its items when cleared or
// destroyed; a borrowing one only refers to them.
//
// Growth rule: when count + 1 reaches the capacity, 16 more slots are added,
// so the used slots are always followed by at least one null slot.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace ondrel {

enum class Ownership : std::uint8_t { kBorrows = 0, kOwns = 1 };

template <typename T>
class PtrArray {
 public:
  explicit PtrArray(Ownership ownership = Ownership::kBorrows)
      : owns_(ownership == Ownership::kOwns) {}
  ~PtrArray() { Clear(); }

  PtrArray(const PtrArray&) = delete;
  PtrArray& operator=(const PtrArray&) = delete;

  // Adds one pointer at the end (an owning array takes it over).
  void Append(T* item) {
    if (count_ + 1 >= capacity_) Grow(capacity_ + 16);
    items_[count_] = item;
    ++count_;
  }

  // Enlarges the slot storage to n slots; new slots are null.
  // Throws std::bad_alloc when memory runs out.
  void Grow(std::uint32_t n) {
    if (n <= capacity_) return;
    void* grown = std::realloc(items_, static_cast<std::size_t>(n) * sizeof(T*));
    if (grown == nullptr) throw std::bad_alloc();
    items_ = static_cast<T**>(grown);
    std::memset(items_ + capacity_, 0, static_cast<std::size_t>(n - capacity_) * sizeof(T*));
    capacity_ = n;
  }

  // Disposes of the items (when owning), releases the storage and leaves an
  // empty, usable array.
  void Clear() {
    if (items_ != nullptr && owns_) {
      for (std::uint32_t i = 0; i < count_; ++i) {
        delete items_[i];
        items_[i] = nullptr;
      }
    }
    std::free(items_);
    items_ = nullptr;
    count_ = 0;
    capacity_ = 0;
  }

  std::uint32_t count() const { return count_; }
  std::uint32_t capacity() const { return capacity_; }
  bool owns() const { return owns_; }
  T* operator[](std::uint32_t i) const { return items_[i]; }
  // Slot access, including the null slots beyond count (for tests).
  T* slot(std::uint32_t i) const { return items_[i]; }

  T* const* begin() const { return items_; }
  T* const* end() const { return items_ + count_; }

 private:
  std::uint32_t capacity_ = 0;
  T** items_ = nullptr;
  std::uint32_t count_ = 0;
  bool owns_;
};

}  // namespace ondrel
