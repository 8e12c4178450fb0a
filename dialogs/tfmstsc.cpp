// SPDX-License-Identifier: MIT
#include "tfmstsc.h"
