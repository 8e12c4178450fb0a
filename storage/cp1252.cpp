// SPDX-License-Identifier: MIT
#include "cp1252.h"
