#pragma once

#include <QColor>

// Contrast as the web content accessibility guidelines measure it, and colours that keep it on
// whatever palette they are drawn on: every colour of our own goes through here.
namespace Contrast {

// What text and the marks that carry meaning need against their background.
inline constexpr double Readable = 4.5;

// From 1 (the same luminance) to 21 (black on white).
double ratio(const QColor &a, const QColor &b);

// `colour` when it stands out from `background` by `minimum`; otherwise the same hue made darker
// on a light background or lighter on a dark one until it does.
QColor readable(const QColor &colour, const QColor &background, double minimum = Readable);

} // namespace Contrast
