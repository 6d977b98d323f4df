#pragma once

#include "EngineBundle.h"
#include "RecordingPrinter.h"
#include "RecordingShell.h"

#include <QAccessible>
#include <QImage>
#include <QPointer>
#include <QTest>

#include <memory>
#include <optional>

namespace qv::test {

// Call at the start of each test program that shows windows: an end of the program that is only
// recorded, so a test that ends it (or fails into the untrapped-error report) leaves the next
// test its windows. Faces are Qt's own choice here; the program's font mapping is system/'s
// (SystemTestSupport.h).
void setUpProgramEnvironment();
// The exit code of the last end of the program since the last call, if it ended.
std::optional<int> takeProgramEnd();

// Bounding box of the ink of a drawing: pixels not white, or with darkBelow set, pixels whose
// grey level lies below it.
QRect inkBounds(const QImage& image, const QRect& within = {}, int darkBelow = 0);
// Number of pixels that differ between two images of the same size.
int differingPixels(const QImage& a, const QImage& b);

// Turns Qt's accessibility on, as a screen reader does, and from then on records what it hears,
// in order: "focus NAME", "news NAME" (a notification shown), "name NAME" (a face renamed),
// "box gone". Null where the platform has no accessibility.
QStringList* listenAsScreenReader();

using TestEngine = EngineBundle<RecordingPrinter, RecordingShell>;

// The program's main window shown on an engine, as the user meets it. Form is the main window's
// class, a parameter only so that tests built without it can include this header.
template <typename Form, typename Bundle = TestEngine> struct MainWindow {
    Bundle e;
    std::unique_ptr<Form> form = std::make_unique<Form>(e.engine);

    MainWindow() {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    // The menu opened by a click on the upright face, the item chosen, then the answer if one
    // is given: the text typed, or the face chosen in the font dialog (null: cancelled).
    void command(const QString& item, const QString& answer = {}) {
        e.dialogs.choose(item);
        if (item == QStringLiteral("字体"))
            answer.isNull() ? e.dialogs.cancelFont() : e.dialogs.chooseFont(answer);
        else if (!answer.isNull())
            e.dialogs.answer(answer);
        QTest::mouseClick(form->Picture1, Qt::LeftButton, {}, QPoint(30, 30));
    }
    // The About dialog opened from the menu, or null when it does not show.
    auto* openAbout() {
        command(QStringLiteral("关于"));
        auto* dialog = form->aboutDialog();
        return dialog && QTest::qWaitForWindowExposed(dialog) ? dialog : nullptr;
    }
};

} // namespace qv::test
