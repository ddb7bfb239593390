#pragma once

#include <windows.h>

// How the program's files reach the disk before they take their names:
// FlushFileBuffers, or what a test puts in its place to see that it is asked.
extern BOOL(WINAPI* g_flushFileBuffers)(HANDLE file);
