#pragma once

#include <QImage>
#include <QRect>

namespace qv::test {

// Call at the start of each test program that draws text: the program's font mapping.
void setUpProgramEnvironment();

// Bounding box of the ink of a drawing: pixels not white, or with darkBelow set, pixels whose
// grey level lies below it.
QRect inkBounds(const QImage& image, const QRect& within = {}, int darkBelow = 0);
// Number of pixels that differ between two images of the same size.
int differingPixels(const QImage& a, const QImage& b);

} // namespace qv::test

#include "EngineBundle.h"
#include "RecordingPrinter.h"
#include "RecordingShell.h"

namespace qv::test {

using TestEngine = EngineBundle<RecordingPrinter, RecordingShell>;

} // namespace qv::test
