#pragma once

#include <QImage>
#include <QRect>

namespace qv::test {

// Call at the start of each test program: the program's font mapping and a fixed palette.
void setUpProgramEnvironment();

// Bounding box of the pixels that are not white (the ink of a drawing).
QRect inkBounds(const QImage& image, const QRect& within = {});
// Number of pixels that differ between two images of the same size.
int differingPixels(const QImage& a, const QImage& b);

} // namespace qv::test
