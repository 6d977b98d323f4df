// The card renderer fed any UTF-16 text: lone surrogates, combining marks, right-to-left
// text, control characters, very long texts.
#include "EngineBundle.h"
#include "Form2.h"
#include "RecordingPrinter.h"
#include "RecordingShell.h"
#include "card/CardText.h"
#include "system/FontMapping.h"
#include "runtime/PictureBox.h"
#include "runtime/RuntimeError.h"

#include <QApplication>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
qv::PictureBox* g_picture1 = nullptr;
qv::PictureBox* g_picture3 = nullptr;
QSize g_faceSize;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(*argc, *argv);
    qv::installFontMapping();
    // The main window's faces, kept from one input to the next as the program keeps them.
    using Engine = qv::test::EngineBundle<qv::test::RecordingPrinter, qv::test::RecordingShell>;
    static Engine engine;
    static Form2 form(engine.engine);
    g_picture1 = form.Picture1;
    g_picture3 = form.Picture3;
    g_faceSize = g_picture1->size();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const qsizetype length = qsizetype(size / 2);
    if (length == 0)
        return 0; // the input command never draws an empty text
    QString text(length, Qt::Uninitialized);
    std::memcpy(text.data(), data, std::size_t(length) * 2);
    QString font = QStringLiteral("隶书");
    float scale[2] = {0, 0};
    try {
        qv::card::drawCardText(*g_picture1, *g_picture3, text, font, scale);
    } catch (const qv::RuntimeError&) {
        std::abort(); // no text that is not empty may fail to draw
    }
    // The scratch surface never grows past its bound, whatever the text.
    if (g_picture3->width() > qv::PictureBox::MaxPixels || g_picture1->size() != g_faceSize)
        std::abort();
    return 0;
}
