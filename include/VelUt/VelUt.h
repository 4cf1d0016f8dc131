// libVelUt: everything the library exports, with the layer types its
// signatures use.
//
// Memory: the C++ functions that build texts, lists or objects throw
// std::bad_alloc when memory runs out, unless their header names another
// outcome (a CMemoryException* some of them absorb), and leave what they
// keep between calls as it was. The layer's functions that report through
// a return value and the last error say in their headers where running
// out of memory is ERROR_NOT_ENOUGH_MEMORY instead.
#pragma once

#include <VelUt/ArrayHelpers.h>
#include <VelUt/Brackets.h>
#include <VelUt/DateTime.h>
#include <VelUt/Delimited.h>
#include <VelUt/DravoMemoryException.h>
#include <VelUt/Escape.h>
#include <VelUt/Files.h>
#include <VelUt/FindReplace.h>
#include <VelUt/Guid.h>
#include <VelUt/MsiInstall.h>
#include <VelUt/Paths.h>
#include <VelUt/StdContainer.h>
#include <VelUt/StdStr.h>
#include <VelUt/SystemError.h>
#include <VelUt/Url.h>
#include <VelUt/VelUtResString.h>
#include <VelUt/VelUtVersion.h>
#include <VelUt/Version.h>
#include <WinAPI/WinAPI.h>
#include <velfirst/VelString.h>
