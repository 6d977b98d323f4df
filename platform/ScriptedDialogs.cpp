#include "ScriptedDialogs.h"

namespace qv {

class ScriptedDialogs::ScriptedFontDialog : public FontDialog {
public:
    explicit ScriptedFontDialog(ScriptedDialogs& owner) : m_owner(owner) {}
    void ShowFont() override {
        m_owner.m_fontFlags.append(Flags());
        Step step;
        if (m_owner.next(Kind::Font, QStringLiteral("font dialog"), step) && !step.cancel)
            setChosenName(step.value);
    }

private:
    ScriptedDialogs& m_owner;
};

ScriptedDialogs& ScriptedDialogs::answer(const QString& text) {
    m_script.push_back({Kind::Input, false, text});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::cancelInput() {
    m_script.push_back({Kind::Input, true, {}});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::chooseFont(const QString& face) {
    m_script.push_back({Kind::Font, false, face});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::cancelFont() {
    m_script.push_back({Kind::Font, true, {}});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::choose(const QString& menuItem) {
    m_script.push_back({Kind::Menu, false, menuItem});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::dismissMenu() {
    m_script.push_back({Kind::Menu, true, {}});
    return *this;
}

bool ScriptedDialogs::next(Kind kind, const QString& what, Step& step) {
    if (m_script.empty() || m_script.front().kind != kind) {
        m_unexpected.append(what);
        return false;
    }
    step = m_script.front();
    m_script.pop_front();
    return true;
}

QString ScriptedDialogs::InputBox(const QString& prompt) {
    m_prompts.append(prompt);
    Step step;
    if (!next(Kind::Input, QStringLiteral("input box: ") + prompt, step) || step.cancel)
        return {};
    return step.value;
}

void ScriptedDialogs::MsgBox(const QString& prompt) {
    m_messages.append(prompt);
}

int ScriptedDialogs::PopupMenu(QWidget* owner, const QString& title, const QStringList& items,
                               std::optional<QPoint> at) {
    m_menus.append({owner, title, items, at});
    Step step;
    if (!next(Kind::Menu, QStringLiteral("popup menu"), step) || step.cancel)
        return -1;
    const int index = int(items.indexOf(step.value));
    if (index < 0)
        m_unexpected.append(QStringLiteral("no menu item ") + step.value);
    return index;
}

std::unique_ptr<FontDialog> ScriptedDialogs::createFontDialog() {
    return std::make_unique<ScriptedFontDialog>(*this);
}

} // namespace qv
