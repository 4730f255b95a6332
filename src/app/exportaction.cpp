#include "exportaction.h"

#include "cataloguecache.h"
#include "clock.h"
#include "entryexport.h"
#include "exportdialog.h"
#include "messagebox.h"

QString ExportAction::run(QWidget *window, const QDate &shownDay)
{
    ExportDialog dialog(shownDay, SystemClock::instance(), window);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    dialog.getData();
    EntryExport run;
    run.from = dialog.dateFrom;
    run.to = dialog.dateTo;
    run.format = dialog.json ? ExportWriter::Format::Json : ExportWriter::Format::Csv;
    run.catalogueXml = CatalogueCache::instance()->document();
    QString error;
    if (!run.writeFile(dialog.path, &error)) {
        MessageBox::warning(window, QStringLiteral("Error"), error);
        return {};
    }
    return QStringLiteral("Exported to ") + dialog.path;
}
