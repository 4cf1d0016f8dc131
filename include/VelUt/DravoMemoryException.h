// The product family's memory-exhaustion exception.
#pragma once

#include <new>

#include <VelUt/Export.h>

// CDravoMemoryException: thrown as a pointer (`throw new
// CDravoMemoryException`) by the family's allocators when memory runs out.
// The library never throws it; where it catches one it releases it with
// Delete(). Being a std::bad_alloc, a caught object can also be reported
// through what().
class VELUT_API CDravoMemoryException : public std::bad_alloc {
 public:
  CDravoMemoryException() = default;
  ~CDravoMemoryException() override;

  // what: a short text that names the exception.
  const char* what() const noexcept override;

  // Delete: frees this heap-allocated exception object.
  void Delete();
};
