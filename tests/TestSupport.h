#pragma once

#include <QAccessible>
#include <QImage>
#include <QList>
#include <QPointer>
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

// What Qt's accessibility tells a screen reader: one event, with the role and name of what
// it is about as they were when it came.
struct Heard {
    QAccessible::Event type;
    QAccessible::Role role;
    QString name;
    QPointer<QObject> object;
    bool operator==(const Heard& o) const {
        return type == o.type && role == o.role && name == o.name;
    }
};
// Turns Qt's accessibility on, as a screen reader does, and records every event from then on
// into the returned list. Null where Qt's platform headers were missing at build time.
QList<Heard>* listenAsScreenReader();

} // namespace qv::test

#include "EngineBundle.h"
#include "RecordingPrinter.h"
#include "RecordingShell.h"

namespace qv::test {

using TestEngine = EngineBundle<RecordingPrinter, RecordingShell>;

} // namespace qv::test
