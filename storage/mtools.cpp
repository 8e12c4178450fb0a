// SPDX-License-Identifier: MIT
#include "mtools.h"
