#include "QtDialogs.h"

#include "runtime/App.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <memory>

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

// When a box closes, the window the user was in gets the keyboard back, rather than whichever
// window the desktop picks: a screen reader then speaks from where the user was, and Esc
// reaches that window again.
class ReturnFocus {
public:
    ReturnFocus()
        : m_window(QApplication::activeWindow() ? QApplication::activeWindow()
                                                : s_menuOwner.data()) {}
    // A popup menu that closes before the desktop has made it the active window leaves the
    // program with no active window for a moment: a box opened by its command then returns the
    // keyboard to the window the menu came from.
    static void menuOpenedOver(QWidget* owner) { s_menuOwner = owner ? owner->window() : nullptr; }
    ~ReturnFocus() {
        if (m_window && m_window->isVisible())
            m_window->activateWindow();
    }
    ReturnFocus(const ReturnFocus&) = delete;
    ReturnFocus& operator=(const ReturnFocus&) = delete;

private:
    QPointer<QWidget> m_window;
    static inline QPointer<QWidget> s_menuOwner;
};

// The input box answers as soon as the user is done with it, but goes only once the program
// is back in its event loop, after the caller has acted on the answer: a screen reader so hears
// what the answer did before the window that the keyboard returns to.
class LingeringInputBox : public QInputDialog {
public:
    int ask() {
        setWindowModality(Qt::ApplicationModal);
        show();
        m_loop.exec(QEventLoop::DialogExec);
        return result();
    }

protected:
    void done(int result) override {
        setResult(result);
        m_loop.exit();
    }

private:
    QEventLoop m_loop;
};

// The dialog's three lists carry no names of their own; a screen reader names them as the
// columns they stand in, left to right.
void nameFontLists(QFontDialog& dialog) {
    static const char* const names[] = {"字体", "字形", "大小"};
    QList<QListView*> lists = dialog.findChildren<QListView*>();
    if (lists.size() != 3)
        return;
    if (const auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        auto column = [grid](QWidget* list) {
            int row = 0, col = 0, rowSpan = 0, colSpan = 0;
            grid->getItemPosition(grid->indexOf(list), &row, &col, &rowSpan, &colSpan);
            return col;
        };
        std::stable_sort(lists.begin(), lists.end(),
                         [&](QWidget* a, QWidget* b) { return column(a) < column(b); });
    }
    for (int i = 0; i < 3; ++i)
        lists[i]->setAccessibleName(QString::fromUtf8(names[i]));
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
        nameFontLists(dialog);
        const ReturnFocus returnFocus;
        if (dialog.exec() == QDialog::Accepted) {
            const QString family = dialog.selectedFont().family();
            if (!family.isEmpty())
                setChosenName(family);
        }
    }
};
} // namespace

QString QtDialogs::InputBox(const QString& prompt) {
    auto* box = new LingeringInputBox;
    box->setWindowTitle(App::Title());
    box->setLabelText(prompt);
    box->setInputMode(QInputDialog::TextInput);
    box->setOkButtonText(QStringLiteral("确定"));
    box->setCancelButtonText(QStringLiteral("取消"));
    placeInputBox(*box);
    auto returnFocus = std::make_shared<ReturnFocus>();
    const QString answer = box->ask() == QDialog::Accepted ? box->textValue() : QString();
    QMetaObject::invokeMethod(
        box,
        [box, returnFocus] {
            box->hide();
            box->deleteLater();
        },
        Qt::QueuedConnection);
    return answer;
}

void QtDialogs::MsgBox(const QString& prompt) {
    QMessageBox box;
    box.setWindowTitle(App::Title());
    box.setText(prompt);
    box.setIcon(QMessageBox::NoIcon);
    QPushButton* ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    const ReturnFocus returnFocus;
    box.exec();
}

int QtDialogs::PopupMenu(QWidget* owner, const QString& title, const QStringList& items,
                         std::optional<QPoint> at) {
    QMenu menu(title, owner);
    menu.setAccessibleName(title);
    ReturnFocus::menuOpenedOver(owner);
    for (const QString& item : items)
        menu.addAction(item);
    // Opened from the keyboard, the menu starts on its first item, so a screen reader names it
    // at once and Enter chooses it. Opened by a click, no item is current: Down, Enter is the
    // first one.
    if (at && !menu.actions().isEmpty())
        QMetaObject::invokeMethod(
            &menu, [&menu] { menu.setActiveAction(menu.actions().constFirst()); },
            Qt::QueuedConnection);
    const QAction* chosen = menu.exec(at.value_or(QCursor::pos()));
    return chosen ? int(menu.actions().indexOf(chosen)) : -1;
}

std::optional<Login> QtDialogs::LoginBox(const QString& prompt, const QString& user) {
    QDialog box;
    box.setWindowTitle(App::Title());
    auto* text = new QLabel(prompt);
    text->setWordWrap(true);
    auto* name = new QLineEdit(user);
    auto* password = new QLineEdit;
    password->setEchoMode(QLineEdit::Password);
    password->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData |
                                  Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase);
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    auto* form = new QFormLayout(&box);
    form->addRow(text);
    // The labels name the fields for a screen reader, and Alt+U / Alt+P reach them.
    form->addRow(QStringLiteral("用户名(&U)："), name);
    form->addRow(QStringLiteral("密码(&P)："), password);
    form->addRow(buttons);
    // A screen reader reads the question with the box's name.
    box.setAccessibleDescription(prompt);
    (user.isEmpty() ? name : password)->setFocus();
    placeInputBox(box);
    const ReturnFocus returnFocus;
    std::optional<Login> login;
    if (box.exec() == QDialog::Accepted)
        login = Login{name->text(), password->text()};
    password->clear();
    return login;
}

std::unique_ptr<FontDialog> QtDialogs::createFontDialog() {
    return std::make_unique<QtFontDialog>();
}

} // namespace qv
