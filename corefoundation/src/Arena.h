// The memory of one parsed document: its objects are placed one after
// another in blocks that the arena owns, and the blocks are freed together
// once the last of those objects has been destroyed. A thread that frees an
// arena keeps one block, the largest it has freed (at most kLargestBlock
// bytes), for its next arena, so that a parse after a release finds its
// memory already mapped; the block is freed when the thread exits.
#pragma once

#include <atomic>
#include <cstddef>
#include <new>
#include <utility>

#include "Object.h"

namespace velcf::detail {

class alignas(8) Arena {
 public:
  // An empty arena for about `expected` bytes of objects (a hint: it sizes
  // the first block); throws std::bad_alloc.
  static Arena* Create(std::size_t expected);
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;

  // Frees every block, the arena included, but the largest one, which the
  // calling thread keeps for its next arena. Objects still in it are gone.
  void Free();

  // `size` bytes, 8-aligned; throws std::bad_alloc. The size is rounded up
  // to whole 8-byte words, so that the next allocation is aligned as well:
  // on a 32-bit machine a node and its record, or an odd count of child
  // pointers, end halfway through a word.
  void* Allocate(std::size_t size) {
    size = (size + 7) & ~std::size_t{7};
    if (size == 0) throw std::bad_alloc();  // the rounding wrapped
    if (size <= static_cast<std::size_t>(end_ - cursor_)) {
      char* p = cursor_;
      cursor_ += size;
      last_block_ = block_begin_;
      return p;
    }
    return AllocateSlow(size);
  }

  // Gives back the end of the latest allocation, from `end` on (8-aligned,
  // within it). A large allocation, which has a block of its own, keeps
  // its size unless it is given back whole.
  void GiveBack(void* end) {
    if (last_block_ == block_begin_) {
      cursor_ = static_cast<char*>(end);
    } else if (end == blocks_ + 1) {
      FreeNewestBlock();
    }
  }

  // A T made at `place`, within what the latest Allocate returned, and
  // counted as one of the arena's objects.
  template <class T, class... Args>
  T* Make(void* place, Args&&... args) {
    const InArena where{static_cast<std::uint16_t>(
        static_cast<std::size_t>(static_cast<char*>(place) - last_block_) >> 3)};
    ++made_;
    return new (place) T(where, std::forward<Args>(args)...);
  }

  // Ends the construction: `root` is the document, owned by the caller,
  // and every object made so far is alive.
  void Seal(const Object* root) {
    root_ = root;
    live_.store(made_, std::memory_order_relaxed);
  }

  static Arena* Of(const Object* object);
  // Notes that a reference to one of the arena's objects was taken
  // outside the document's own structure.
  void NoteRetained() {
    if (!retained_.load(std::memory_order_relaxed))
      retained_.store(true, std::memory_order_relaxed);
  }
  // True when the document's root has just lost its last reference and no
  // other object of the arena was ever retained: then all of them go
  // with it.
  bool DiesWithRoot(const Object* object) const {
    return object == root_ && !retained_.load(std::memory_order_relaxed);
  }
  // Counts `n` objects destroyed; frees the arena when none is left.
  void Destroyed(std::size_t n) {
    if (live_.fetch_sub(n, std::memory_order_acq_rel) == n) Free();
  }

 private:
  // Every block starts with this header. An object lies within 512 KiB of
  // the header before it, so that its offset fits its own header: a large
  // block is cut into segments of at most that size, each behind a header
  // of its own (with a null `next`). Both the header and the arena after it
  // take whole 8-byte words, on 32-bit machines too, so objects stay aligned.
  struct alignas(8) Block {
    Block* next;
    Arena* arena;
  };
  static constexpr std::size_t kFirstBlock = 4096;
  // Blocks double up to this size, which is also the bound of the block a
  // thread keeps.
  static constexpr std::size_t kLargestBlock = std::size_t{8} << 20;
  static constexpr std::size_t kSegment = std::size_t{512} << 10;
  static constexpr std::size_t kOwnBlock = 16384;

  Arena() = default;
  ~Arena() = default;
  // `bytes` of memory, in whole huge pages when it is a multiple of them.
  static void* AllocateBlock(std::size_t bytes);
  void* AllocateSlow(std::size_t size);
  void FreeNewestBlock();
  Block* NewBlock(std::size_t bytes);
  // Takes allocations from [begin, end) of a block, in segments from `begin`.
  void Serve(char* begin, char* end);

  Block* blocks_ = nullptr;      // newest first
  char* block_begin_ = nullptr;  // of the segment allocations are taken from
  char* last_block_ = nullptr;   // of the segment of the latest allocation
  char* cursor_ = nullptr;
  char* end_ = nullptr;        // of what the segment may serve
  char* block_end_ = nullptr;  // of the block the segment lies in
  Block* largest_ = nullptr;   // the largest block not a request's own, kept at Free
  std::size_t largest_size_ = 0;
  std::size_t next_block_ = kFirstBlock;
  std::size_t made_ = 0;
  const Object* root_ = nullptr;
  std::atomic<bool> retained_{false};
  std::atomic<std::size_t> live_{0};
};

// Frees an arena under construction unless it is handed on.
class ArenaOwner {
 public:
  explicit ArenaOwner(Arena* arena) : arena_(arena) {}
  ~ArenaOwner() {
    if (arena_ != nullptr) arena_->Free();
  }
  ArenaOwner(const ArenaOwner&) = delete;
  ArenaOwner& operator=(const ArenaOwner&) = delete;
  Arena* get() const { return arena_; }
  Arena* release() { return std::exchange(arena_, nullptr); }

 private:
  Arena* arena_;
};

}  // namespace velcf::detail
