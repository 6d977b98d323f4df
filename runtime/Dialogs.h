#pragma once

#include "PrintLogin.h"

#include <QPoint>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

class QWidget;

namespace qv {

// The common dialog used as a font dialog. It keeps its flags and its last chosen face name
// from one use to the next; a cancelled dialog reports the name chosen before (empty at first).
class FontDialog {
public:
    virtual ~FontDialog() = default;
    void setFlags(std::int32_t flags) { m_flags = flags; }
    std::int32_t Flags() const { return m_flags; }
    QString FontName() const { return m_fontName; }
    // Modal; returns when the user closed the dialog.
    virtual void ShowFont() = 0;

protected:
    void setChosenName(const QString& name) { m_fontName = name; }

private:
    std::int32_t m_flags = 0;
    QString m_fontName;
};

// Font dialog flags.
namespace FontFlags {
constexpr std::int32_t ScreenFonts = 0x1;
constexpr std::int32_t ShowHelp = 0x4;
} // namespace FontFlags

// The engine's standard boxes: input box, message box, font dialog and popup menu.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Modal; the typed text, or the empty string when cancelled.
    virtual QString InputBox(const QString& prompt) = 0;
    // Modal, an OK button only, the application's title as caption.
    virtual void MsgBox(const QString& prompt) = 0;
    // Shows the items at the pointer with no item current; or, asked for from the keyboard, at
    // the given screen position on its first item. The index of the chosen item, or -1 when
    // dismissed.
    virtual int PopupMenu(QWidget* owner, const QString& title, const QStringList& items,
                          std::optional<QPoint> at = {}) = 0;
    virtual std::unique_ptr<FontDialog> createFontDialog() = 0;
    // Modal: asks for a user name (offered filled in) and a password. Nothing when cancelled.
    virtual std::optional<Login> LoginBox(const QString& prompt, const QString& user) = 0;
};

} // namespace qv
