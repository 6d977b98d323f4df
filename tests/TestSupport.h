#pragma once

#include <QAccessible>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QTest>

#include <memory>
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

// The program's main window shown on an engine, as the user meets it. Form is the main window's
// class, a parameter only so that tests built without it can include this header.
template <typename Form, typename Bundle = TestEngine> struct MainWindow {
    Bundle e;
    ScriptedDialogs& dialogs = e.dialogs;
    std::unique_ptr<Form> form = std::make_unique<Form>(e.engine);

    MainWindow() {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    // A click on the upright face, then the item, then the answer if one is given: the text
    // typed, or the face chosen in the font dialog (none: cancelled).
    void command(const QString& item, const QString& answer = {}) {
        dialogs.choose(item);
        if (item == QStringLiteral("字体"))
            answer.isNull() ? dialogs.cancelFont() : dialogs.chooseFont(answer);
        else if (!answer.isNull())
            dialogs.answer(answer);
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
