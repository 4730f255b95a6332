#pragma once

#include <QString>

// Whether what TavroDesk stores can be written: the data folder and the open database. Run at start,
// so that a folder or file made read-only is reported before recorded or booked time depends on it.
namespace StorageCheck {

// Empty when both take changes; otherwise a sentence for the user saying what cannot be written.
QString problem(const QString &dataFolder);

} // namespace StorageCheck
