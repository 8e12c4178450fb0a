// SPDX-License-Identifier: MIT
#include "tfallgemein.h"
