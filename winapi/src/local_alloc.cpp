// Local memory: the blocks of LocalAlloc, and the buffers FormatMessage
// allocates, all released by LocalFree.
#include <cstdlib>

#include <WinAPI/Error.h>
#include <WinAPI/Message.h>

HLOCAL LocalAlloc(UINT flags, std::size_t bytes) {
  const std::size_t n = bytes == 0 ? 1 : bytes;
  void* block = (flags & LMEM_ZEROINIT) ? std::calloc(1, n) : std::malloc(n);
  if (block == nullptr) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return block;
}

HLOCAL LocalFree(HLOCAL block) {
  std::free(block);
  return nullptr;
}
