#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace qv {
struct Engine;
}

// The About dialog: title, version, description, the maker's web address, and a button that
// starts the system-information tool. Modeless; deleting it is unloading it.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    static QString webAddress() { return QStringLiteral("https://www.quorvel.example/"); }

    explicit frmAbout(qv::Engine& engine);

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;

    void StartSysInfo();

public slots:
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void Label1_Click();
    void tellAddress();
    void handle(void (frmAbout::*handler)());
    void growToTexts();

    qv::Engine& m_engine;
    int m_separatorBelow = 0; // pixels the separator moved down for larger texts
};
