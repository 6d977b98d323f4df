#pragma once

#include "runtime/Dialogs.h"

namespace qv {

// The standard boxes drawn by Qt.
class QtDialogs : public Dialogs {
public:
    QString InputBox(const QString& prompt) override;
    void MsgBox(const QString& prompt) override;
    int PopupMenu(QWidget* owner, const QString& title, const QStringList& items,
                  std::optional<QPoint> at = {}) override;
    std::unique_ptr<FontDialog> createFontDialog() override;
    std::optional<Login> LoginBox(const QString& prompt, const QString& user) override;
};

} // namespace qv
