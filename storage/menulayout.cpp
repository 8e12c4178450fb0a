// SPDX-License-Identifier: MIT
#include "menulayout.h"
