#include "raster/pixfileopen.h"

std::FILE* PIX_OpenFileForReading(const char* fileName) { return std::fopen(fileName, "rb"); }
