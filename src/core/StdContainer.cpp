// The position classes' type information and virtual tables live here.
#include <VelUt/StdContainer.h>

POSITION_IMP::~POSITION_IMP() = default;

template class CStdContainerPos<CStdStrPtrMap::container_type>;
