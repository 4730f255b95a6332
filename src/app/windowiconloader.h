#pragma once

#include <QObject>

// Gives the application its window icon when the first window that a window manager shows is about to
// appear. Drawing the icon takes the SVG renderer; a start in the tray that is never opened does without
// it. Popups, tool tips and the tray's own embedded window do not count.
class WindowIconLoader : public QObject
{
    Q_OBJECT

public:
    // Watches the application until then; `parent` owns the loader.
    explicit WindowIconLoader(QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
