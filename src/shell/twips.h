#pragma once

// Window and widget sizes come in twips; fifteen twips are one pixel.

namespace verselet {

// Rounds up, so that a minimum is never undercut.
constexpr int TwipsToPixels(int twips)
{
    return (twips + 14) / 15;
}

} // namespace verselet
