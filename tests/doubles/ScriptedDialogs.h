#pragma once

#include "runtime/Dialogs.h"

#include <deque>

namespace qv {

// Boxes that answer from a script instead of a user, and record what they were asked. Each
// box takes the next step; a box whose step is missing or of another kind is cancelled and
// noted in unexpected(), so a test sees that its script went wrong.
class ScriptedDialogs : public Dialogs {
public:
    // Script steps.
    ScriptedDialogs& answer(const QString& text) { return add(Input, text); }
    ScriptedDialogs& chooseFont(const QString& face) { return add(Font, face); }
    ScriptedDialogs& cancelFont() { return add(Font, {}); }
    ScriptedDialogs& choose(const QString& item) { return add(Menu, item); }

    // What was shown.
    const QStringList& messages() const { return m_messages; }
    int menusShown() const { return m_menus; }
    const QStringList& unexpected() const { return m_unexpected; }

    QString InputBox(const QString& prompt) override;
    void MsgBox(const QString& prompt) override { m_messages.append(prompt); }
    int PopupMenu(QWidget* owner, const QString& title, const QStringList& items,
                  std::optional<QPoint> at = {}) override;
    std::unique_ptr<FontDialog> createFontDialog() override;

private:
    enum Kind { Input, Font, Menu };
    // An empty optional cancels.
    ScriptedDialogs& add(Kind kind, std::optional<QString> value) {
        m_script.push_back({kind, std::move(value)});
        return *this;
    }
    std::optional<QString> next(Kind kind, const QString& what);

    std::deque<std::pair<Kind, std::optional<QString>>> m_script;
    QStringList m_messages, m_unexpected;
    int m_menus = 0;
};

} // namespace qv
