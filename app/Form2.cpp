#include "Form2.h"

#include "Announcer.h"
#include "NewsPresenter.h"

#include "about/frmAbout.h"
#include "card/CardText.h"
#include "card/HalfTurn.h"
#include "print/PrintJob.h"
#include "runtime/App.h"
#include "runtime/Dialogs.h"
#include "runtime/Engine.h"
#include "runtime/PictureBox.h"
#include "runtime/Screen.h"
#include "runtime/UntrappedErrors.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include <algorithm>

using qv::PictureBox;
using qv::Screen;

namespace {
// The card is paper on every desktop: black ink on white, whatever the palette.
constexpr qv::OleColor Paper = 0xFFFFFF, Ink = 0x000000;

PictureBox* makeFace(QWidget* parent, const char* name, const QRect& geometry) {
    auto* face = new PictureBox(parent);
    face->setObjectName(QString::fromLatin1(name));
    face->setGeometry(geometry);
    face->setBackColor(Paper);
    face->setForeColor(Ink);
    return face;
}

const QString Blank = QStringLiteral("空白");

// The popup menu, in menu order: each item's caption and its command, written once.
struct MenuItem {
    const char* caption; // UTF-8
    void (Form2::*command)();
};
const MenuItem Menu[] = {
    {"字体", &Form2::字体_Click}, {"输入", &Form2::输入_Click}, {"旋转", &Form2::旋转_Click},
    {"打印", &Form2::打印_Click}, {"关于", &Form2::关于_Click}, {"退出", &Form2::退出_Click},
};

// A text as it reads on a face: blanks alone show nothing.
QString reads(const QString& text) {
    const QString trimmed = text.trimmed();
    return trimmed.isEmpty() ? Blank : trimmed;
}
} // namespace

Form2::Form2(qv::Engine& engine, qv::NewsPresenter* news)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      m_engine(engine), m_dialogs(engine.dialogs),
      CommonDialog1(engine.dialogs.createFontDialog()) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(qv::App::Title());
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, qv::toQColor(Paper));
    setPalette(background);
    setFixedSize(Screen::pixelsX(10755), Screen::pixelsY(10470));

    // Stacking order: the scratch surface lies over the turned face until the first drawing
    // hides it.
    Picture2 = makeFace(this, "Picture2", Screen::pixelRect(555, 690, 9615, 3540));
    Picture3 = makeFace(this, "Picture3", Screen::pixelRect(555, 570, 9615, 3630));
    Picture1 = makeFace(this, "Picture1", Screen::pixelRect(555, 6135, 9615, 3727));
    Picture3->setAccessibleName(QStringLiteral("草稿面"));
    m_uprightShows = m_turnedShows = Blank;
    nameFaces();
    m_announcer = new Announcer(this);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(qv::App::Title() + QStringLiteral(" 桌签"));
    // Read with the window until the menu has been opened once; after that the user knows the
    // way in, and each return to the window is quiet enough for a command's news to be heard.
    setAccessibleDescription(QStringLiteral("单击窗口、按菜单键或 Shift+F10 打开命令菜单"));
    connect(Picture1, &PictureBox::Click, this, [this] { handle(&Form2::Picture1_Click); });
    connect(Picture2, &PictureBox::Click, this, [this] { handle(&Form2::Picture2_Click); });
    // A card the print system did not take is told in a box of its own over the window.
    if (!news) {
        m_ownNews = std::make_unique<qv::NewsPresenter>(m_dialogs, engine.printer);
        news = m_ownNews.get();
    }
    news->setWindow(this);

    // Centred; on a screen too small for the sheet, its title bar and top-left stay on the
    // screen, where the window can still be dragged.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect free = screen->availableGeometry();
        const QPoint centred = free.center() - rect().center();
        move(std::max(centred.x(), free.left()), std::max(centred.y(), free.top()));
    }
    handle(&Form2::Form_Load);
}

// However the main window goes, its About dialog goes with it.
Form2::~Form2() {
    delete m_about;
}

QString Form2::menuTitle() {
    return QStringLiteral("菜单");
}

QStringList Form2::menuItems() {
    QStringList items;
    for (const MenuItem& item : Menu)
        items.append(QString::fromUtf8(item.caption));
    return items;
}

void Form2::handle(void (Form2::*handler)()) {
    qv::runHandler(m_dialogs, [this, handler] { (this->*handler)(); });
}

void Form2::nameFaces() {
    // Only a face whose text changed is renamed, so a screen reader hears no stale news.
    auto rename = [](QWidget* face, const QString& name) {
        if (face->accessibleName() != name)
            face->setAccessibleName(name);
    };
    rename(Picture1, QStringLiteral("正向的桌签面：") + m_uprightShows);
    rename(Picture2,
           QStringLiteral("倒置的桌签面：") +
               (m_turnedShows == Blank ? Blank : m_turnedShows + QStringLiteral("（倒置）")));
}

void Form2::Form_Load() {
    CardFontName = QStringLiteral("隶书");
}

void Form2::Form_Click() {
    showMenu();
}

void Form2::Picture1_Click() {
    showMenu();
}

void Form2::Picture2_Click() {
    showMenu();
}

// The menu key and Shift+F10 open the menu for those who do not use a mouse, over the
// upright face where a click would most often open it.
void Form2::showMenuFromKeyboard() {
    showMenu(Picture1->mapToGlobal(QPoint(Picture1->width() / 4, Picture1->height() / 4)));
}

void Form2::showMenu(std::optional<QPoint> at) {
    setAccessibleDescription({});
    // The window lets go of the focus while its menu is up, so that closing the menu moves
    // none: a screen reader hears the command's news first, and the window's name after it,
    // when the focus comes back.
    const bool hadFocus = hasFocus();
    clearFocus();
    const int chosen = m_dialogs.PopupMenu(this, menuTitle(), menuItems(), at);
    if (chosen >= 0 && chosen < int(std::size(Menu)))
        (this->*Menu[chosen].command)();
    if (hadFocus && !QApplication::focusWidget())
        setFocus(Qt::PopupFocusReason);
}

void Form2::字体_Click() {
    CommonDialog1->setFlags(qv::FontFlags::ScreenFonts | qv::FontFlags::ShowHelp);
    CommonDialog1->ShowFont();
    if (!CommonDialog1->FontName().isEmpty())
        CardFontName = CommonDialog1->FontName();
}

void Form2::输入_Click() {
    CardText = m_dialogs.InputBox(QStringLiteral("请输入需要打印的文字"));
    if (CardText != QString()) {
        Command1_Click();
        // A character no face has shows as a box; the user hears which, and why.
        if (const QString notice = qv::card::undrawableNotice(CardText, CardFontName);
            !notice.isEmpty())
            m_dialogs.MsgBox(notice);
        m_announcer->announce(Picture1->accessibleName());
    }
}

void Form2::Command1_Click() {
    qv::card::drawCardText(*Picture1, *Picture3, CardText, CardFontName, ScaleFactor);
    m_uprightShows = reads(CardText);
    nameFaces();
}

void Form2::旋转_Click() {
    RotateHalfTurn();
    m_turnedShows = m_uprightShows;
    nameFaces();
    m_announcer->announce(QStringLiteral("已旋转。") + Picture2->accessibleName());
}

void Form2::RotateHalfTurn() {
    qv::card::rotateHalfTurn(*Picture1, *Picture2);
}

void Form2::打印_Click() {
    qv::print::printWindow(m_engine.gdi, m_engine.printer,
                           [this] { return qv::Gdi::Handle(winId()); });
    // The sheet holds both faces; when they show different texts, the listener hears both.
    m_announcer->announce(
        QStringLiteral("正在打印：") +
        (m_uprightShows == m_turnedShows
             ? m_uprightShows
             : QStringLiteral("正向 %1，倒置 %2").arg(m_uprightShows, m_turnedShows)));
}

void Form2::关于_Click() {
    if (!m_about)
        m_about = new frmAbout(m_engine);
    m_about->setWindowIcon(windowIcon());
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void Form2::退出_Click() {
    close();
}

void Form2::Form_Unload() {
    if (m_about)
        delete m_about;
}

void Form2::mousePressEvent(QMouseEvent* event) {
    m_click.press(*event);
}

void Form2::mouseReleaseEvent(QMouseEvent* event) {
    if (m_click.release(*this, *event))
        handle(&Form2::Form_Click);
}

void Form2::keyPressEvent(QKeyEvent* event) {
    const bool menuKey = event->key() == Qt::Key_Menu && event->modifiers() == Qt::NoModifier;
    const bool shiftF10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if (menuKey || shiftF10) {
        event->accept();
        handle(&Form2::showMenuFromKeyboard);
        return;
    }
    QWidget::keyPressEvent(event);
}

void Form2::closeEvent(QCloseEvent* event) {
    handle(&Form2::Form_Unload);
    event->accept();
}
