// Layout positions are given in twips; 15 twips make one device-independent pixel.
#pragma once

#include <QRect>

namespace Layout {
constexpr int px(int twips) {
    return (twips + 7) / 15;
}
constexpr QRect rect(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}
} // namespace Layout
