#pragma once

#include "Dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>

namespace qv {

// Dialogs that answer from a script instead of a user, and record what they were asked.
// Each box takes the next step of the script; a box whose step is missing or of another kind
// is cancelled and noted in unexpected(), so a test can see the script went wrong.
class ScriptedDialogs : public Dialogs {
public:
    struct MenuShown {
        QWidget* owner;
        QString title;
        QStringList items;
        std::optional<QPoint> at;
    };

    // Script steps.
    ScriptedDialogs& answer(const QString& text);
    ScriptedDialogs& cancelInput();
    ScriptedDialogs& chooseFont(const QString& face);
    ScriptedDialogs& cancelFont();
    ScriptedDialogs& choose(const QString& menuItem);
    ScriptedDialogs& dismissMenu();

    // What was shown.
    const QStringList& prompts() const { return m_prompts; }
    const QStringList& messages() const { return m_messages; }
    const QList<MenuShown>& menus() const { return m_menus; }
    const QList<std::int32_t>& fontFlagsShown() const { return m_fontFlags; }
    const QStringList& unexpected() const { return m_unexpected; }
    bool scriptDone() const { return m_script.empty(); }

    QString InputBox(const QString& prompt) override;
    void MsgBox(const QString& prompt) override;
    int PopupMenu(QWidget* owner, const QString& title, const QStringList& items,
                  std::optional<QPoint> at = {}) override;
    std::unique_ptr<FontDialog> createFontDialog() override;

private:
    enum class Kind { Input, Font, Menu };
    struct Step {
        Kind kind;
        bool cancel;
        QString value;
    };
    class ScriptedFontDialog;

    bool next(Kind kind, const QString& what, Step& step);

    std::deque<Step> m_script;
    QStringList m_prompts;
    QStringList m_messages;
    QList<MenuShown> m_menus;
    QList<std::int32_t> m_fontFlags;
    QStringList m_unexpected;
};

} // namespace qv
