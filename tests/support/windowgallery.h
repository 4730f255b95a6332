#pragma once

#include <QList>
#include <QString>

class MainWindow;
class QDate;
class QWidget;

// Every window of the program at once, filled as a user's day fills them: the tests that look at
// all texts, names and keys walk it, and the screenshots show it.
namespace WindowGallery {

// Settings for a start that goes offline at once, without leaving the machine, and no database:
// call before the main window is made.
void prepareOfflineStart();

// A day with two applications, away time and a rule, in the database the window opened.
void addSampleDay(const QDate &day);

// Fills `window`'s day with the sample day and shows it; the start then goes offline at once.
void showWithSampleDay(MainWindow *window);

// Opens every dialog of the program beside `window`, without blocking, each filled as the program
// fills it before showing it. The dialogs are children of `window`.
QList<QWidget *> openDialogs(MainWindow *window, const QString &projectsXml);

} // namespace WindowGallery
