// The card renderer fed any UTF-16 text: lone surrogates, combining marks, right-to-left
// text, control characters, very long texts.
#include "EngineBundle.h"
#include "Form2.h"
#include "RecordingPrinter.h"
#include "RecordingShell.h"
#include "card/CardText.h"
#include "runtime/PictureBox.h"
#include "runtime/RuntimeError.h"
#include "system/FontMapping.h"

#include <QApplication>

#include <cstdlib>
#include <cstring>

namespace {
Form2* g_form = nullptr; // its faces are kept from one input to the next, as the program keeps them
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(*argc, *argv);
    qv::installFontMapping();
    static qv::test::EngineBundle<qv::test::RecordingPrinter, qv::test::RecordingShell> engine;
    static Form2 form(engine.engine);
    g_form = &form;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    if (text.isEmpty())
        return 0; // the input command never draws an empty text
    std::memcpy(text.data(), data, size / 2 * 2);
    const QSize faceSize = g_form->Picture1->size();
    float scale[2] = {0, 0};
    try {
        qv::card::drawCardText(*g_form->Picture1, *g_form->Picture3, text, "隶书", scale);
    } catch (const qv::RuntimeError&) {
        std::abort(); // no text that is not empty may fail to draw
    }
    // The scratch surface never grows past its bound, whatever the text.
    if (g_form->Picture3->width() > qv::PictureBox::MaxPixels ||
        g_form->Picture1->size() != faceSize)
        std::abort();
    return 0;
}
