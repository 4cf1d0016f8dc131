#include <typeinfo>

#include <VelUt/DravoMemoryException.h>
#include <WinAPI/Exceptions.h>

CDravoMemoryException::~CDravoMemoryException() = default;

const char* CDravoMemoryException::what() const noexcept { return "out of memory"; }

void CDravoMemoryException::Delete() { delete this; }

// Callers catch these exceptions as pointers; the pointer types' type
// information is emitted here, with default visibility, so that a throw in
// one module matches a catch in another.
[[maybe_unused]] static const std::type_info* const kExceptionPointerTypes[] = {
    &typeid(CDravoMemoryException*),
    &typeid(CMemoryException*),
    &typeid(COleException*),
};
