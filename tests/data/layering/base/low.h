#pragma once
// Planted: the base must not know the application.
#include "app/high.h"
