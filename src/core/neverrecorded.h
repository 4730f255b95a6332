#pragma once

#include <QString>
#include <QStringList>

struct WindowInfo;

// The applications whose window titles are never recorded (executable paths) and what becomes of
// their time: stored under the title "Private", so that days still add up, or not recorded at all. Unlike the excluded
// applications, which are recorded and only hidden in the views.
namespace NeverRecorded {

QString privateTitle();
QStringList paths();
bool keepsTime();
// Lists the paths not listed yet; returns those.
QStringList add(const QStringList &candidates);

// Takes the title off a window of a listed application: it becomes "Private", or, when its time
// is not kept, the window loses its path and so is not recorded. True when the window is listed.
bool mask(WindowInfo &info);

} // namespace NeverRecorded
