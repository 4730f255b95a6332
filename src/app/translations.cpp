#include "translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {
bool installCatalogue(QCoreApplication *app, const QLocale &locale, const QString &name, const QStringList &folders)
{
    for (const QString &folder : folders) {
        auto *translator = new QTranslator(app);
        if (translator->load(locale, name, QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator);
            return true;
        }
        delete translator;
    }
    return false;
}
} // namespace

void Translations::install(QCoreApplication *app, const QLocale &locale)
{
    installCatalogue(app, locale, QStringLiteral("qtbase"), {QLibraryInfo::path(QLibraryInfo::TranslationsPath)});
    // An installed program prefers the catalogues installed with it, which can be updated on their
    // own; the ones built in always match the texts.
    const QStringList folders{
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../share/tavrodesk/translations")),
        QStringLiteral(":/i18n")};
    installCatalogue(app, locale, QStringLiteral("tavrodesk"), folders);
}
