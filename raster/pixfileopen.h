// Opening a file named in UTF-8 for reading (binary).
#pragma once

#include <cstdio>

// The file, or null. On Windows the name is taken as UTF-8 first and then as ANSI text.
std::FILE* PIX_OpenFileForReading(const char* fileName);
