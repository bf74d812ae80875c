#include <windows.h>

#include "raster/pixfileopen.h"

std::FILE* PIX_OpenFileForReading(const char* fileName) {
  std::FILE* f = nullptr;
  wchar_t wide[2048];
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, fileName, -1, wide, 2048) > 0) {
    f = _wfopen(wide, L"rb");
  }
  if (!f) f = std::fopen(fileName, "rb");
  return f;
}
