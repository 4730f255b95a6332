#pragma once

class QDate;
class QString;
class QWidget;

// File > Export...: asks for the days, the format and the file, then writes the entries.
namespace ExportAction {
// The note for the status bar once written; empty when cancelled or failed (the failure is shown
// in a message box parented to `window`).
QString run(QWidget *window, const QDate &shownDay);
} // namespace ExportAction
