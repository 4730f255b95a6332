#pragma once

#include <QStringList>

class QWidget;

// Titles recorded for applications before they were listed as never recorded.
namespace PrivateTitles {

// Asks whether the titles already recorded for the applications at `paths` should be replaced with
// "Private", their time kept. True on "Yes"; false without asking when `paths` is empty.
bool askToReplace(QWidget *parent, const QStringList &paths);

} // namespace PrivateTitles
