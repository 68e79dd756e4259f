// Counts a colour's pixels in a picture.
#pragma once

#include <QImage>

// How many pixels of an image have exactly this colour.
inline int countColour(const QImage& image, QRgb colour)
{
    int count = 0;
    for (int row = 0; row < image.height(); ++row) {
        for (int column = 0; column < image.width(); ++column) {
            count += image.pixel(column, row) == colour ? 1 : 0;
        }
    }
    return count;
}
