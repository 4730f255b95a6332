#pragma once

#include <QByteArray>

struct xcb_connection_t;

// A connection of its own to the X server on `display` (empty: $DISPLAY) that offers the
// MIT-SCREEN-SAVER extension, with the root window of its screen; null when there is none.
xcb_connection_t *connectWithScreenSaver(const QByteArray &display, quint32 *root);
