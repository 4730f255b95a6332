#include "contrast.h"

#include <cmath>

namespace {
double channel(double value)
{
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}
} // namespace

double Contrast::ratio(const QColor &a, const QColor &b)
{
    const double first = luminance(a);
    const double second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

QColor Contrast::readable(const QColor &colour, const QColor &background, double minimum)
{
    if (ratio(colour, background) >= minimum) {
        return colour;
    }
    // Towards whichever end stands out more from the background.
    const bool darken = ratio(Qt::black, background) >= ratio(Qt::white, background);
    const QColor hsl = colour.toHsl();
    const float hue = hsl.hslHueF();
    const float saturation = hsl.hslSaturationF();
    float lightness = hsl.lightnessF();
    for (int step = 0; step < 100; ++step) {
        lightness = darken ? std::max(0.0f, lightness - 0.01f) : std::min(1.0f, lightness + 0.01f);
        // Judged as drawn: in whole 8-bit channels.
        const QColor candidate = QColor::fromRgba(QColor::fromHslF(hue, saturation, lightness, colour.alphaF()).rgba());
        if (ratio(candidate, background) >= minimum || lightness <= 0.0f || lightness >= 1.0f) {
            return candidate;
        }
    }
    return darken ? QColor(Qt::black) : QColor(Qt::white);
}
