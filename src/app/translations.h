#pragma once

class QCoreApplication;
class QLocale;

// Puts the program's texts, and Qt's own (standard buttons, context menus of edits), into the
// user's language.
namespace Translations {

// Installs the catalogues for `locale` on `app`. Languages without a catalogue keep the English
// texts, which are the sources themselves.
void install(QCoreApplication *app, const QLocale &locale);

} // namespace Translations
