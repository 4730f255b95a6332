#pragma once

class QUrl;
class QWidget;

namespace LinkOpener {

// Opens `url` in the web browser. When none can be started the user is told so, with the address
// to open by hand; returns whether a browser took the link.
bool open(QWidget *parent, const QUrl &url);

} // namespace LinkOpener
