#include "PrintWaitDialog.h"

#include "runtime/App.h"
#include "runtime/PrintNews.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv {

PrintWaitDialog::PrintWaitDialog(std::function<int()> waiting) : m_waiting(std::move(waiting)) {
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
    connect(&m_poll, &QTimer::timeout, this, &PrintWaitDialog::update);
    update();
}

bool PrintWaitDialog::waitForAll() {
    if (m_waiting() == 0)
        return true;
    m_poll.start(100);
    const bool allOut = exec() == QDialog::Accepted;
    m_poll.stop();
    return allOut;
}

void PrintWaitDialog::update() {
    const int count = m_waiting();
    if (count == 0) {
        accept();
        return;
    }
    if (count == m_shown)
        return;
    m_shown = count;
    const QString text = PrintNews::waiting(count);
    // The label alone carries the text: a screen reader reads a dialog's labels with it, and a
    // description holding the same words would be read a second time.
    m_text->setText(text);
}

} // namespace qv
