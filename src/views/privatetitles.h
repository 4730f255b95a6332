#pragma once

#include <QStringList>

class QWidget;

// Titles recorded for applications before they were listed as never recorded.
namespace PrivateTitles {

// Asks whether the titles already recorded for the applications at `paths` should go; on "Yes"
// every entry of theirs is titled "Private", keeping its time. True when titles were replaced.
bool offerRemoval(QWidget *parent, const QStringList &paths);

} // namespace PrivateTitles
