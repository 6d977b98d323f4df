#pragma once

#include <QImage>
#include <QRect>

namespace qv::test {

// Call at the start of each test program: the program's font mapping and a fixed palette.
void setUpProgramEnvironment();

// Bounding box of the ink of a drawing: pixels not white, or with darkBelow set, pixels whose
// grey level lies below it.
QRect inkBounds(const QImage& image, const QRect& within = {}, int darkBelow = 0);
// Number of pixels that differ between two images of the same size.
int differingPixels(const QImage& a, const QImage& b);

} // namespace qv::test

#include "platform/Engine.h"
#include "platform/Printer.h"
#include "platform/QtGdi.h"
#include "platform/Registry.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"

#include <QList>

namespace qv::test {

// A printer that keeps what it is given; each operation can be made to fail.
class RecordingPrinter : public Printer {
public:
    struct Drawn {
        QImage image;
        float x, y;
    };
    QList<Drawn> drawn;
    int documentsEnded = 0;
    bool failDrawing = false;
    bool failEnding = false;

    void PaintPicture(const Picture& picture, float x, float y) override;
    void EndDoc() override;
};

// A desktop that records what it is asked; files exist only where a test puts them.
class RecordingShell : public Shell {
public:
    QStringList opened;
    QStringList started;
    QStringList searched;
    QStringList files;
    bool startFails = false;

    bool OpenUrl(const QString& address) override;
    void StartProgram(const QString& path) override;
    QString Dir(const QString& path) override;
};

// The engine the windows run on in tests: scripted boxes, the real capture, a recording printer.
struct TestEngine {
    ScriptedDialogs dialogs;
    QtGdi gdi;
    RecordingPrinter printer;
    MemoryRegistry registry;
    RecordingShell shell;
    Engine engine{dialogs, gdi, printer, registry, shell};
};

} // namespace qv::test
