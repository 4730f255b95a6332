#include "exportaction.h"

#include "clock.h"
#include "entryexport.h"
#include "exportdialog.h"
#include "messagebox.h"
#include "projectscatalogue.h"

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
    run.catalogue = &ProjectsCatalogue::shared();
    QString error;
    if (!run.writeFile(dialog.path, &error)) {
        MessageBox::warning(window, QStringLiteral("Error"), error);
        return {};
    }
    return QStringLiteral("Exported to ") + dialog.path;
}
