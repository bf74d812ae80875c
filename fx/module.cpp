#include "fx/module.h"

void* gModuleInstance = nullptr;
