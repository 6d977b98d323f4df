#include "ScriptedDialogs.h"

namespace qv {

std::optional<QString> ScriptedDialogs::next(Kind kind, const QString& what) {
    if (m_script.empty() || m_script.front().first != kind) {
        m_unexpected.append(what);
        return std::nullopt;
    }
    // Taken as a whole step: moving the optional out alone trips a false warning in GCC 12.
    const auto step = m_script.front();
    m_script.pop_front();
    return step.second;
}

QString ScriptedDialogs::InputBox(const QString& prompt) {
    return next(Input, QStringLiteral("input box: ") + prompt).value_or(QString());
}

int ScriptedDialogs::PopupMenu(QWidget*, const QString&, const QStringList& items,
                               std::optional<QPoint>) {
    ++m_menus;
    const std::optional<QString> item = next(Menu, QStringLiteral("popup menu"));
    return item ? int(items.indexOf(*item)) : -1;
}

std::unique_ptr<FontDialog> ScriptedDialogs::createFontDialog() {
    class ScriptedFontDialog : public FontDialog {
    public:
        explicit ScriptedFontDialog(ScriptedDialogs& owner) : m_owner(owner) {}
        void ShowFont() override {
            if (const auto face = m_owner.next(Font, QStringLiteral("font dialog")))
                setChosenName(*face);
        }

    private:
        ScriptedDialogs& m_owner;
    };
    return std::make_unique<ScriptedFontDialog>(*this);
}

} // namespace qv
