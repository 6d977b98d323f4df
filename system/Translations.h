#pragma once

namespace qv {

// Qt's own Chinese translations for its standard dialogs (font dialog, input and message
// boxes): the program speaks Chinese whatever the desktop's language is. Call once the
// application object exists; returns false when the translations are not installed.
bool installQtTranslations();

} // namespace qv
