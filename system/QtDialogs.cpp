#include "QtDialogs.h"

#include "runtime/App.h"

#include <QAction>
#include <QCursor>
#include <QFontDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace qv {

namespace {
// Centred across, a third of the way down: where the classic input box stands.
void placeInputBox(QWidget& box) {
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    box.adjustSize();
    const QRect area = screen->availableGeometry();
    box.move(area.left() + (area.width() - box.width()) / 2,
             area.top() + (area.height() - box.height()) / 3);
}

class QtFontDialog : public FontDialog {
public:
    void ShowFont() override {
        QFontDialog dialog;
        dialog.setWindowTitle(QStringLiteral("字体"));
        // Bitmap-only faces cannot be drawn at card size; scalable screen fonts are what the
        // dialog lists.
        dialog.setOption(QFontDialog::ScalableFonts, (Flags() & FontFlags::ScreenFonts) != 0);
        if (!FontName().isEmpty())
            dialog.setCurrentFont(QFont(FontName()));
        if (dialog.exec() == QDialog::Accepted) {
            const QString family = dialog.selectedFont().family();
            if (!family.isEmpty())
                setChosenName(family);
        }
    }
};
} // namespace

QString QtDialogs::InputBox(const QString& prompt) {
    QInputDialog box;
    box.setWindowTitle(App::Title());
    box.setLabelText(prompt);
    box.setInputMode(QInputDialog::TextInput);
    box.setOkButtonText(QStringLiteral("确定"));
    box.setCancelButtonText(QStringLiteral("取消"));
    placeInputBox(box);
    if (box.exec() != QDialog::Accepted)
        return {};
    return box.textValue();
}

void QtDialogs::MsgBox(const QString& prompt) {
    QMessageBox box;
    box.setWindowTitle(App::Title());
    box.setText(prompt);
    box.setIcon(QMessageBox::NoIcon);
    QPushButton* ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

int QtDialogs::PopupMenu(QWidget* owner, const QString& title, const QStringList& items,
                         std::optional<QPoint> at) {
    QMenu menu(title, owner);
    menu.setAccessibleName(title);
    for (const QString& item : items)
        menu.addAction(item);
    // Once the menu is up, its first item is current, so a screen reader names it at once
    // and Enter chooses it without a Down first.
    if (!menu.actions().isEmpty())
        QMetaObject::invokeMethod(
            &menu, [&menu] { menu.setActiveAction(menu.actions().constFirst()); },
            Qt::QueuedConnection);
    const QAction* chosen = menu.exec(at.value_or(QCursor::pos()));
    return chosen ? int(menu.actions().indexOf(chosen)) : -1;
}

std::unique_ptr<FontDialog> QtDialogs::createFontDialog() {
    return std::make_unique<QtFontDialog>();
}

} // namespace qv
