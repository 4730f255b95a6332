#pragma once

// What only a shown window needs and can read or render again when it shows: the cached renderings
// of icons and the style, the database pages its day was read from, and the heap pages they and the
// window's other passing work leave free.
namespace WindowCaches {
void release();
// What a day build leaves behind once it is shown: the database pages it read and the heap its
// passing work used. The shown window keeps its renderings.
void releaseBuildLeftovers();
} // namespace WindowCaches
