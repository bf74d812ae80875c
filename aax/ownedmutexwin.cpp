// The owned mutex's system part on Windows: an unnamed kernel mutex.
#include <windows.h>

#include "aax/ownedmutex.h"

void* AAX_COwnedMutex::SystemCreate() { return CreateMutexA(nullptr, FALSE, nullptr); }
void AAX_COwnedMutex::SystemWait(void* handle) { WaitForSingleObject(static_cast<HANDLE>(handle), INFINITE); }
void AAX_COwnedMutex::SystemRelease(void* handle) { ReleaseMutex(static_cast<HANDLE>(handle)); }
void AAX_COwnedMutex::SystemClose(void* handle) { CloseHandle(static_cast<HANDLE>(handle)); }
int32_t AAX_COwnedMutex::SystemThreadId() { return static_cast<int32_t>(GetCurrentThreadId()); }
