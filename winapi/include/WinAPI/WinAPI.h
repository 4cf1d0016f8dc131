// libWinAPI: the Win32 / MFC compatibility layer for Linux. Each operation
// keeps the name and documented behaviour of its Win32 or MFC namesake.
#pragma once

#include <WinAPI/CFString.h>
#include <WinAPI/Error.h>
#include <WinAPI/Exceptions.h>
#include <WinAPI/File.h>
#include <WinAPI/Guid.h>
#include <WinAPI/Locale.h>
#include <WinAPI/Message.h>
#include <WinAPI/Path.h>
#include <WinAPI/Process.h>
#include <WinAPI/Resource.h>
#include <WinAPI/Strings.h>
#include <WinAPI/Time.h>
#include <WinAPI/Types.h>
#include <WinAPI/Utf8.h>
