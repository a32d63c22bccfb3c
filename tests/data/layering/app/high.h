#pragma once
#include "base/low.h"
