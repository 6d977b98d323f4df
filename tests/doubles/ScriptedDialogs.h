#pragma once

#include "platform/Dialogs.h"

#include <QList>

#include <deque>

namespace qv {

// Boxes that answer from a script instead of a user, and record what they were asked. Each
// box takes the next step; a box whose step is missing or of another kind is cancelled and
// noted in unexpected(), so a test sees that its script went wrong.
class ScriptedDialogs : public Dialogs {
public:
    struct MenuShown {
        QStringList items;
        std::optional<QPoint> at;
    };

    // Script steps; an empty optional cancels.
    ScriptedDialogs& answer(const QString& text) { return add(Input, text); }
    ScriptedDialogs& cancelInput() { return add(Input, {}); }
    ScriptedDialogs& chooseFont(const QString& face) { return add(Font, face); }
    ScriptedDialogs& cancelFont() { return add(Font, {}); }
    ScriptedDialogs& choose(const QString& item) { return add(Menu, item); }
    ScriptedDialogs& dismissMenu() { return add(Menu, {}); }

    // What was shown.
    const QStringList& prompts() const { return m_prompts; }
    const QStringList& messages() const { return m_messages; }
    const QList<MenuShown>& menus() const { return m_menus; }
    const QList<std::int32_t>& fontFlagsShown() const { return m_fontFlags; }
    const QStringList& unexpected() const { return m_unexpected; }

    QString InputBox(const QString& prompt) override;
    void MsgBox(const QString& prompt) override;
    int PopupMenu(QWidget* owner, const QString& title, const QStringList& items,
                  std::optional<QPoint> at = {}) override;
    std::unique_ptr<FontDialog> createFontDialog() override;

private:
    enum Kind { Input, Font, Menu };
    ScriptedDialogs& add(Kind kind, std::optional<QString> value) {
        m_script.push_back({kind, std::move(value)});
        return *this;
    }
    std::optional<QString> next(Kind kind, const QString& what);

    std::deque<std::pair<Kind, std::optional<QString>>> m_script;
    QStringList m_prompts, m_messages, m_unexpected;
    QList<MenuShown> m_menus;
    QList<std::int32_t> m_fontFlags;
};

} // namespace qv
