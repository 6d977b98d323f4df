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
    ScriptedDialogs& login(const QString& user, const QString& password) {
        return add('l', user + '\n' + password);
    }
    ScriptedDialogs& cancelLogin() { return add('l', {}); }
    // The prompts of the login boxes shown, and the names they offered.
    const QStringList& loginPrompts() const { return m_loginPrompts; }

    const QStringList& messages() const { return m_messages; }
    int unexpected() const { return m_unexpected; }

    QString InputBox(const QString&) override { return next('i').value_or(QString()); }
    void MsgBox(const QString& prompt) override { m_messages.append(prompt); }
    int PopupMenu(QWidget*, const QString&, const QStringList& items,
                  std::optional<QPoint>) override {
        const std::optional<QString> item = next('m');
        return item ? int(items.indexOf(*item)) : -1;
    }
    std::optional<Login> LoginBox(const QString& prompt, const QString& user) override {
        m_loginPrompts.append(prompt + " [" + user + "]");
        const std::optional<QString> step = next('l');
        if (!step)
            return std::nullopt;
        return Login{step->section('\n', 0, 0), step->section('\n', 1)};
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
    QStringList m_loginPrompts;
    int m_unexpected = 0;
};

} // namespace qv
