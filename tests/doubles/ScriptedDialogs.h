#pragma once

#include "runtime/Dialogs.h"

#include <deque>

namespace qv {

// Boxes that answer from a script instead of a user, and record the messages they show. Each
// box takes the next step; a box whose step is missing or of another kind is cancelled and
// counted in unexpected(), so a test sees that its script went wrong.
class ScriptedDialogs : public Dialogs {
public:
    // Script steps.
    ScriptedDialogs& answer(const QString& text) { return add('i', text); }
    ScriptedDialogs& chooseFont(const QString& face) { return add('f', face); }
    ScriptedDialogs& cancelFont() { return add('f', {}); }
    ScriptedDialogs& choose(const QString& item) { return add('m', item); }

    const QStringList& messages() const { return m_messages; }
    int unexpected() const { return m_unexpected; }

    QString InputBox(const QString&) override { return next('i').value_or(QString()); }
    void MsgBox(const QString& prompt) override { m_messages.append(prompt); }
    int PopupMenu(QWidget*, const QString&, const QStringList& items,
                  std::optional<QPoint>) override {
        const std::optional<QString> item = next('m');
        return item ? int(items.indexOf(*item)) : -1;
    }
    std::unique_ptr<FontDialog> createFontDialog() override {
        struct ScriptedFontDialog : FontDialog {
            ScriptedDialogs* owner;
            void ShowFont() override { setChosenName(owner->next('f').value_or(FontName())); }
        };
        auto dialog = std::make_unique<ScriptedFontDialog>();
        dialog->owner = this;
        return dialog;
    }

private:
    // An empty optional cancels.
    ScriptedDialogs& add(char kind, std::optional<QString> value) {
        m_script.push_back({kind, std::move(value)});
        return *this;
    }
    std::optional<QString> next(char kind) {
        if (m_script.empty() || m_script.front().first != kind)
            return ++m_unexpected, std::nullopt;
        // Taken as a whole step: moving the optional out alone trips a false warning in GCC 12.
        const auto step = m_script.front();
        m_script.pop_front();
        return step.second;
    }

    std::deque<std::pair<char, std::optional<QString>>> m_script;
    QStringList m_messages;
    int m_unexpected = 0;
};

} // namespace qv
