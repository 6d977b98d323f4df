#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "about/frmAbout.h"
#include "runtime/ClickTracker.h"

#include <memory>
#include <optional>

class Announcer;

namespace qv {
struct Engine;
class Dialogs;
class FontDialog;
class NewsPresenter;
class PictureBox;
} // namespace qv

// The main window, laid out as the card sheet: the turned face above, the upright face below,
// and the scratch surface the text is first drawn on. Every command is in one popup menu that
// a click on the background or on a face opens.
class Form2 : public QWidget {
    Q_OBJECT
public:
    // News of cards not printed goes through the given presenter, or one of the window's own.
    explicit Form2(qv::Engine& engine, qv::NewsPresenter* news = nullptr);
    ~Form2() override;

    // The popup menu: its title and items, in menu order.
    static QString menuTitle();
    static QStringList menuItems();

    // The card being composed.
    QString CardText;
    QString CardFontName;
    float ScaleFactor[2] = {0, 0};

    qv::PictureBox* Picture1 = nullptr; // upright face, lower half
    qv::PictureBox* Picture2 = nullptr; // turned face, upper half
    qv::PictureBox* Picture3 = nullptr; // scratch surface

    // Draws CardText into the upright face.
    void Command1_Click();

    // Menu commands.
    void 字体_Click();
    void 输入_Click();
    void 旋转_Click();
    void 打印_Click();
    void 关于_Click();
    void 退出_Click();

    // The About dialog while it is loaded.
    frmAbout* aboutDialog() const { return m_about; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_Click();
    void Form_Unload();
    void Picture1_Click();
    void Picture2_Click();
    void RotateHalfTurn();
    void showMenu(std::optional<QPoint> at = {});
    void showMenuFromKeyboard();
    void handle(void (Form2::*handler)());
    // Screen readers hear what the faces show; their pixels are not touched.
    void nameFaces();

    QPointer<frmAbout> m_about;
    qv::Engine& m_engine;
    qv::Dialogs& m_dialogs;
    std::unique_ptr<qv::NewsPresenter> m_ownNews;
    std::unique_ptr<qv::FontDialog> CommonDialog1;
    qv::ClickTracker m_click;
    Announcer* m_announcer = nullptr;
    QString m_uprightShows; // the text on the upright face as it reads, or "空白"
    QString m_turnedShows;  // the same for the turned face
};
