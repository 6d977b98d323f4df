#include "PrintWaitDialog.h"

#include "PrintNews.h"

#include "runtime/App.h"
#include "runtime/Printer.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv {

PrintWaitDialog::PrintWaitDialog(Printer& printer) : m_printer(printer) {
    setObjectName(QStringLiteral("PrintWaitDialog"));
    setWindowTitle(App::Title());
    setAccessibleName(QStringLiteral("正在等待打印"));
    m_text = new QLabel(this);
    m_text->setWordWrap(true);
    m_text->setMinimumWidth(m_text->fontMetrics().averageCharWidth() * 48);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* giveUp = buttons->addButton(QStringLiteral("放弃"), QDialogButtonBox::RejectRole);
    giveUp->setAccessibleDescription(PrintNews::giveUpMeans());
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    connect(&printer, &Printer::waitingChanged, this, &PrintWaitDialog::showCount);
    showCount(printer.waiting());
}

bool PrintWaitDialog::waitForAll() {
    // A card may have gone out since the dialog was made.
    if (m_printer.waiting() == 0)
        return true;
    return exec() == QDialog::Accepted;
}

void PrintWaitDialog::showCount(int cards) {
    if (cards == 0) {
        accept();
        return;
    }
    // The label alone carries the text: a screen reader reads a dialog's labels with it, and a
    // description holding the same words would be read a second time.
    m_text->setText(PrintNews::waiting(cards));
}

} // namespace qv
