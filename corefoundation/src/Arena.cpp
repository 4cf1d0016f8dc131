#include "Arena.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace velcf::detail {
namespace {

// The block a thread keeps for its next arena, and its size. Builds with
// AddressSanitizer keep none, so that every freed block is seen as freed.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kKeepBlock = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
constexpr bool kKeepBlock = false;
#else
constexpr bool kKeepBlock = true;
#endif
#else
constexpr bool kKeepBlock = true;
#endif

constexpr std::size_t kHugePage = std::size_t{2} << 20;

thread_local void* t_kept = nullptr;
thread_local std::size_t t_kept_size = 0;
thread_local bool t_exited = false;  // the thread's kept block is gone for good

// Frees the kept block when its thread exits; an arena freed after that
// frees all its blocks.
struct KeptBlockOwner {
  bool armed = false;
  ~KeptBlockOwner() {
    std::free(t_kept);
    t_kept = nullptr;
    t_exited = true;
  }
};
thread_local KeptBlockOwner t_owner;

}  // namespace

Arena* Arena::Create(std::size_t expected) {
  // The first block doubles from 4 KiB up to the expected size, within the
  // largest block; a block the thread kept serves if it is that large.
  std::size_t size = kFirstBlock;
  while (size < expected && size < kLargestBlock) size *= 2;
  void* memory = std::exchange(t_kept, nullptr);
  if (memory != nullptr && t_kept_size >= size) {
    size = t_kept_size;
  } else {
    std::free(memory);
    memory = AllocateBlock(size);
  }
  auto* block = static_cast<Block*>(memory);
  static_assert(sizeof(Block) % 8 == 0 && sizeof(Arena) % 8 == 0, "blocks stay 8-aligned");
  auto* arena = new (block + 1) Arena;
  block->next = nullptr;
  block->arena = arena;
  arena->blocks_ = block;
  arena->largest_ = block;
  arena->largest_size_ = size;
  arena->Serve(reinterpret_cast<char*>(block), reinterpret_cast<char*>(block) + size);
  arena->cursor_ = reinterpret_cast<char*>(arena + 1);
  arena->next_block_ = std::min(size * 2, kLargestBlock);
  return arena;
}

void Arena::Free() {
  // The arena lives in its first block, the last of the list.
  Block* keep = nullptr;
  const std::size_t keep_size = largest_size_;
  if (kKeepBlock && keep_size <= kLargestBlock && !t_exited) {
    t_owner.armed = true;  // its first use registers its destructor
    if (keep_size > t_kept_size || t_kept == nullptr) keep = largest_;
  }
  Block* block = blocks_;
  while (block != nullptr) {
    Block* next = block->next;
    if (block != keep) std::free(block);
    block = next;
  }
  if (keep != nullptr) {
    std::free(t_kept);
    t_kept = keep;
    t_kept_size = keep_size;
  }
}

void* Arena::AllocateBlock(std::size_t bytes) {
  void* memory = nullptr;
  if (bytes >= kHugePage && bytes % kHugePage == 0) {
    // Whole huge pages where the system gives them: a page fault per 2 MiB
    // instead of one per 4 KiB.
    memory = std::aligned_alloc(kHugePage, bytes);
    if (memory != nullptr) madvise(memory, bytes, MADV_HUGEPAGE);
  } else {
    memory = std::malloc(bytes);
  }
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

Arena::Block* Arena::NewBlock(std::size_t bytes) {
  auto* block = static_cast<Block*>(AllocateBlock(bytes));
  block->next = blocks_;
  block->arena = this;
  blocks_ = block;
  return block;
}

void Arena::FreeNewestBlock() {
  Block* block = blocks_;
  blocks_ = block->next;
  std::free(block);
  last_block_ = block_begin_;
}

void Arena::Serve(char* begin, char* end) {
  block_begin_ = last_block_ = begin;
  cursor_ = begin + sizeof(Block);
  block_end_ = end;
  end_ = static_cast<std::size_t>(end - begin) > kSegment ? begin + kSegment : end;
}

void* Arena::AllocateSlow(std::size_t size) {
  if (size > kOwnBlock) {
    // A block of its own; the current block keeps serving small requests.
    if (size > static_cast<std::size_t>(-1) - sizeof(Block)) throw std::bad_alloc();
    Block* own = NewBlock(sizeof(Block) + size);
    last_block_ = reinterpret_cast<char*>(own);
    return own + 1;
  }
  if (end_ != block_end_ &&
      static_cast<std::size_t>(block_end_ - cursor_) >= sizeof(Block) + size) {
    // The block has room beyond its segment: a new segment starts here.
    auto* segment = reinterpret_cast<Block*>(cursor_);
    segment->next = nullptr;
    segment->arena = this;
    Serve(cursor_, block_end_);
  } else {
    // Blocks grow to the largest size; a request must fit the new one.
    while (next_block_ < kLargestBlock && next_block_ - sizeof(Block) < size) {
      next_block_ = std::min(next_block_ * 2, kLargestBlock);
    }
    Block* block = NewBlock(next_block_);
    if (next_block_ > largest_size_) {
      largest_ = block;
      largest_size_ = next_block_;
    }
    Serve(reinterpret_cast<char*>(block), reinterpret_cast<char*>(block) + next_block_);
    if (next_block_ < kLargestBlock) next_block_ = std::min(next_block_ * 2, kLargestBlock);
  }
  char* p = cursor_;
  cursor_ += size;
  return p;
}

Arena* Arena::Of(const Object* object) {
  if ((object->bits_ & Object::kInArena) == 0) return nullptr;
  const char* block =
      reinterpret_cast<const char*>(object) - std::size_t{object->block_offset_} * 8;
  return reinterpret_cast<const Block*>(block)->arena;
}

}  // namespace velcf::detail
