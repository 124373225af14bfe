#include "shell/editorlayout.h"

namespace verselet {

EditorResize FormResize(QSize outer)
{
    EditorResize r;
    const int width = outer.width() - kWidthMargin;
    const int height = outer.height() - kBodyHeightMargin;
    if (width >= 0) {
        r.text1Width = width;
        if (height >= 0) {
            r.text1Height = height;
            r.text2Width = width;
        }
    }
    if (outer.height() < kMinimumOuterHeight)
        r.outerHeight = kMinimumOuterHeight;
    return r;
}

} // namespace verselet
