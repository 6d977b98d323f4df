#pragma once

#include <QImage>
#include <QRect>

#include <optional>

namespace qv::test {

// Call at the start of each test program that shows windows: the program's font mapping, and
// an end of the program that is only recorded, so a test that ends it (or fails into the
// untrapped-error report) leaves the next test its windows.
void setUpProgramEnvironment();
// The exit code of the last end of the program since the last call, if it ended.
std::optional<int> takeProgramEnd();

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
