// The library's view of the platform below it: the compatibility layer and
// the sibling string class. Sources include this, never the layer headers
// one by one, so the boundary stays in one place.
#pragma once

#include <WinAPI/WinAPI.h>
#include <velfirst/VelString.h>
