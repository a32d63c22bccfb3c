// Planted: an include guard and a private switch in the program.
#if __has_include("app/high.h")
#include "app/high.h"
#endif
const bool traced = qEnvironmentVariableIsSet("HOME");
