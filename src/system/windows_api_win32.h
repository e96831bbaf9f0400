#pragma once
// The one way the Win32 adapters include the Windows headers. The A/W alias macros that
// collide with the program's own operation names are removed; adapters call the W
// functions by their full names.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef CopyFile
#undef DeleteFile
#undef CreateFolder
#undef GetFileVersion
