#include "frmAbout.h"

#include "SystemInformation.h"
#include "runtime/App.h"
#include "runtime/Dialogs.h"
#include "runtime/Engine.h"
#include "runtime/Screen.h"
#include "runtime/Shell.h"
#include "runtime/UntrappedErrors.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

using qv::Screen;

namespace {
// The maker's address: a label to the eye, a link to a screen reader, which can also follow it.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void followed();
};

class AccessibleLink : public QAccessibleWidget {
public:
    explicit AccessibleLink(QWidget* label) : QAccessibleWidget(label, QAccessible::Link) {}
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.linked = true;
        return state;
    }
    QStringList actionNames() const override {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        if (name == pressAction())
            emit static_cast<LinkLabel*>(widget())->followed();
        else
            QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface* linkFor(const QString& className, QObject* object) {
    if (className == QLatin1String(LinkLabel::staticMetaObject.className()))
        return new AccessibleLink(static_cast<QWidget*>(object));
    return nullptr;
}

template <typename Label = QLabel>
Label* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* label = new Label(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAutoFillBackground(true);
    label->setAccessibleName(text);
    return label;
}
} // namespace

frmAbout::frmAbout(qv::Engine& engine)
    : QDialog(nullptr,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_engine(engine) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("关于Quorvel向导程序"));
    setFixedSize(Screen::pixelsX(5730), Screen::pixelsY(3555));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(QPixmap(QStringLiteral(":/quorvel/about.xpm")));
    picIcon->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picIcon->setLineWidth(2);
    picIcon->setGeometry(QRect(Screen::pixelRect(240, 240, 0, 0).topLeft(), QSize(36, 36)));
    picIcon->setAccessibleName(QStringLiteral("Quorvel"));

    lblTitle = makeLabel(this, "lblTitle", QStringLiteral("Quorvel向导程序"),
                         Screen::pixelRect(1050, 240, 3885, 480));
    lblVersion = makeLabel(this, "lblVersion", QStringLiteral("版本：") + qv::App::Version(),
                           Screen::pixelRect(1050, 780, 3885, 225));
    lblDescription = makeLabel(this, "lblDescription",
                               QStringLiteral("向导式的Quorvel小程序，只需输入打印内容后，"
                                              "点击鼠标即可打印出标准格式的桌签。"),
                               Screen::pixelRect(1050, 1125, 3675, 510));
    for (QLabel* black : {lblTitle, lblDescription}) {
        QPalette palette = black->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        black->setPalette(palette);
    }
    QAccessible::installFactory(linkFor);
    auto* link = makeLabel<LinkLabel>(this, "Label1", webAddress(),
                                      Screen::pixelRect(1080, 1875, 3000, 285));
    connect(link, &LinkLabel::followed, this, [this] { handle(&frmAbout::Label1_Click); });
    Label1 = link;
    Label1->setCursor(QCursor(QPixmap(QStringLiteral(":/quorvel/hand-cursor.xpm")), 16, 14));
    Label1->setAccessibleDescription(QStringLiteral("按回车键或空格键在浏览器中打开制作者的网页"));
    // The keyboard reaches the link with Tab; a click does not move the focus to it.
    Label1->setFocusPolicy(Qt::TabFocus);
    Label1->installEventFilter(this);

    cmdOK = new QPushButton(QStringLiteral("确定"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(Screen::pixelRect(4125, 2625, 1500, 345));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("系统信息(&S)..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setGeometry(Screen::pixelRect(4140, 3075, 1485, 345));
    cmdSysInfo->setAccessibleName(QStringLiteral("系统信息"));
    connect(cmdOK, &QPushButton::clicked, this, [this] { handle(&frmAbout::cmdOK_Click); });
    connect(cmdSysInfo, &QPushButton::clicked, this,
            [this] { handle(&frmAbout::cmdSysInfo_Click); });
    setTabOrder(cmdOK, cmdSysInfo);
    setTabOrder(cmdSysInfo, Label1);
    cmdOK->setFocus();
    // The address is one word: it is never broken, the label widens for it instead.
    Label1->setWordWrap(false);
    growToTexts();
    connect(&engine.shell, &qv::Shell::notOpened, this, [this](const QString& address) {
        if (address == webAddress())
            handle(&frmAbout::tellAddress);
    });

    handle(&frmAbout::Form_Load);
}

// The controls sit where the design puts them for the usual desktop font; a larger font gets
// each as much room as its text needs, and what lies below it moves down as far.
void frmAbout::growToTexts() {
    const int margin = Screen::pixelsX(90);
    int lower = 0, wide = width();
    const auto grow = [&](QWidget* control, QSize needed) {
        QRect place = control->geometry().translated(0, lower);
        if (auto* label = qobject_cast<QLabel*>(control); label && label->wordWrap())
            needed = QSize(place.width(), label->heightForWidth(place.width()));
        const int extra = std::max(needed.height() - place.height(), 0);
        // Buttons keep their right edge, labels their left one.
        if (needed.width() > place.width()) {
            if (qobject_cast<QLabel*>(control))
                place.setWidth(needed.width());
            else
                place.setLeft(place.right() + 1 - needed.width());
        }
        place.setHeight(place.height() + extra);
        control->setGeometry(place);
        lower += extra;
        wide = std::max(wide, place.right() + 1 + margin);
    };
    for (QWidget* control : {static_cast<QWidget*>(lblTitle), static_cast<QWidget*>(lblVersion),
                             static_cast<QWidget*>(lblDescription), static_cast<QWidget*>(Label1)})
        grow(control, control->sizeHint());
    m_separatorBelow = lower;
    for (QPushButton* button : {cmdOK, cmdSysInfo})
        grow(button, button->sizeHint());
    // Buttons pushed left past the labels' edge take the dialog wider instead.
    const int left = std::min(cmdOK->x(), cmdSysInfo->x()) - Screen::pixelsX(4125);
    if (left < 0) {
        for (QPushButton* button : {cmdOK, cmdSysInfo})
            button->move(button->x() - left, button->y());
        wide -= left;
    }
    setFixedSize(std::max(wide, width()), height() + lower);
}

void frmAbout::handle(void (frmAbout::*handler)()) {
    qv::runHandler(m_engine.dialogs, [this, handler] { (this->*handler)(); });
}

void frmAbout::Form_Load() {
    setWindowTitle(QStringLiteral("关于 ") + qv::App::Title());
    lblVersion->setText(QStringLiteral("版本 %1.%2.%3")
                            .arg(qv::App::Major())
                            .arg(qv::App::Minor())
                            .arg(qv::App::Revision()));
    lblTitle->setText(qv::App::Title());
    lblVersion->setAccessibleName(lblVersion->text());
    lblTitle->setAccessibleName(lblTitle->text());
}

void frmAbout::cmdOK_Click() {
    close();
}

// Esc presses the cancel button, which is OK.
void frmAbout::reject() {
    handle(&frmAbout::cmdOK_Click);
}

// Closing unloads the dialog, whichever way it is asked for.
void frmAbout::closeEvent(QCloseEvent* event) {
    event->accept();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo();
}

void frmAbout::StartSysInfo() {
    qv::about::StartSysInfo(m_engine.registry, m_engine.shell, m_engine.dialogs);
}

void frmAbout::Label1_Click() {
    if (!m_engine.shell.OpenUrl(webAddress()))
        tellAddress();
}

// With nothing to open the page, the user gets the address to type in elsewhere.
void frmAbout::tellAddress() {
    m_engine.dialogs.MsgBox(QStringLiteral("没有能打开网页的程序。请在浏览器中输入这个网址：\n\n") +
                            webAddress());
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Label1)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            Label1->rect().contains(mouse->position().toPoint()))
            handle(&frmAbout::Label1_Click);
        return true;
    }
    case QEvent::KeyPress: {
        // Enter and Space open the link as a click does; held down, they open it once.
        auto* key = static_cast<QKeyEvent*>(event);
        const bool opens = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                           key->key() == Qt::Key_Space;
        if (!opens || (key->modifiers() & ~Qt::KeypadModifier))
            return false;
        if (!key->isAutoRepeat())
            handle(&frmAbout::Label1_Click);
        return true;
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        // The focused link shows in the selection colours; its text does not move.
        const bool focused = event->type() == QEvent::FocusIn;
        Label1->setBackgroundRole(focused ? QPalette::Highlight : QPalette::NoRole);
        Label1->setForegroundRole(focused ? QPalette::HighlightedText : QPalette::NoRole);
        return false;
    }
    default:
        return false;
    }
}

void frmAbout::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // The etched separator: a grey line with a white one under it.
    QPainter painter(this);
    const int right = width() - 1 - (Screen::pixelsX(5730) - 1 - Screen::pixelsX(5654));
    const int grey = Screen::pixelsY(2445) + m_separatorBelow,
              white = Screen::pixelsY(2460) + m_separatorBelow;
    painter.fillRect(QRect(QPoint(Screen::pixelsX(90), grey), QPoint(right, grey)),
                     QColor(128, 128, 128));
    painter.fillRect(QRect(QPoint(Screen::pixelsX(105), white), QPoint(right, white + 1)),
                     Qt::white);
}

#include "frmAbout.moc"
