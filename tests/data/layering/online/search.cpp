// Planted: online and system share a rank and stay apart.
#include "system/scan.h"
