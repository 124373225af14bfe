#pragma once

// The main window's layout rule, in pixels. Its sizes come in twips.

#include "shell/twips.h"

#include <QSize>

#include <optional>

namespace verselet {

inline constexpr int kMinimumOuterHeight = TwipsToPixels(4300); // 287
inline constexpr int kWidthMargin = TwipsToPixels(120);         // 8
inline constexpr int kBodyHeightMargin = TwipsToPixels(2700);   // 180

struct EditorResize
{
    std::optional<int> text1Width;
    std::optional<int> text1Height;
    std::optional<int> text2Width;
    // Set when the window is lower than the minimum: the height to give it.
    std::optional<int> outerHeight;
};

// For a window of this outer size (frame, caption and menu bar included): the
// body box is the window less 8 wide and less 180 high, the header box as
// wide. A size that would come out negative stops the assignments there, in
// that order (body width, body height, header width). The height never goes
// below 4300 twips.
EditorResize FormResize(QSize outer);

} // namespace verselet
