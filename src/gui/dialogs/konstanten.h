// SPDX-License-Identifier: MIT
#pragma once

#include <array>

// The window sizes behind the setting "TSsize", by position.
namespace konstanten {

struct ScreenSize
{
    int width;
    int height;
};

inline constexpr std::array<ScreenSize, 10> kScreenSizes{{{640, 480},
                                                          {800, 600},
                                                          {1024, 700},
                                                          {1024, 768},
                                                          {1152, 864},
                                                          {1280, 720},
                                                          {1280, 1024},
                                                          {1300, 900},
                                                          {-1, -1},
                                                          {0, 0}}};

} // namespace konstanten
