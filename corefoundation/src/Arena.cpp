#include "Arena.h"

#include <algorithm>
#include <cstdlib>

namespace velcf::detail {

Arena* Arena::Create() {
  Block* block = static_cast<Block*>(std::malloc(kFirstBlock));
  if (block == nullptr) throw std::bad_alloc();
  static_assert(sizeof(Block) % 8 == 0 && sizeof(Arena) % 8 == 0, "blocks stay 8-aligned");
  auto* arena = new (block + 1) Arena;
  block->next = nullptr;
  block->arena = arena;
  arena->blocks_ = block;
  arena->block_begin_ = reinterpret_cast<char*>(block);
  arena->cursor_ = reinterpret_cast<char*>(arena + 1);
  arena->end_ = reinterpret_cast<char*>(block) + kFirstBlock;
  arena->next_block_ = kFirstBlock * 2;
  return arena;
}

void Arena::Free() {
  // The arena lives in its first block, the last of the list.
  Block* block = blocks_;
  while (block != nullptr) {
    Block* next = block->next;
    std::free(block);
    block = next;
  }
}

Arena::Block* Arena::NewBlock(std::size_t bytes) {
  auto* block = static_cast<Block*>(std::malloc(bytes));
  if (block == nullptr) throw std::bad_alloc();
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

void* Arena::AllocateSlow(std::size_t size) {
  if (size > kOwnBlock) {
    // A block of its own; the current block keeps serving small requests.
    if (size > static_cast<std::size_t>(-1) - sizeof(Block)) throw std::bad_alloc();
    Block* own = NewBlock(sizeof(Block) + size);
    last_block_ = reinterpret_cast<char*>(own);
    return own + 1;
  }
  // Blocks grow to the largest size; a request must fit the new one.
  while (next_block_ < kLargestBlock && next_block_ - sizeof(Block) < size) {
    next_block_ = std::min(next_block_ * 2, kLargestBlock);
  }
  Block* block = NewBlock(next_block_);
  block_begin_ = last_block_ = reinterpret_cast<char*>(block);
  cursor_ = reinterpret_cast<char*>(block + 1);
  end_ = reinterpret_cast<char*>(block) + next_block_;
  if (next_block_ < kLargestBlock) next_block_ = std::min(next_block_ * 2, kLargestBlock);
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
