// Qt's own floor for a tray application: a main window with a tree view, a tray icon and a one-second
// timer, nothing else. bench_footprint measures TavroDesk against it under the same X server.
// With --animated the tray icon steps through eight 32-pixel frames every 500 ms, as TavroDesk's does
// while it records: what that animation alone costs Qt is the floor under the recording's CPU figure.

#include <QApplication>
#include <QColor>
#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QPainter>
#include <QPixmap>
#include <QStandardItemModel>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTreeView>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    QStandardItemModel model;
    for (int row = 0; row < 20; ++row) {
        auto *item = new QStandardItem(QStringLiteral("Item %1").arg(row));
        item->appendRow(new QStandardItem(QStringLiteral("Child")));
        model.appendRow(item);
    }
    QTreeView tree;
    tree.setModel(&model);
    tree.expandAll();
    window.setCentralWidget(&tree);
    window.resize(900, 600);
    window.show();
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::darkGreen);
    QSystemTrayIcon tray{QIcon(pixmap)};
    tray.show();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &tree, [] {});
    tick.start(1000);
    QList<QIcon> frames;
    for (int frame = 0; frame < 8; ++frame) {
        // Drawn on a transparent ground, as tray icons are.
        QPixmap picture(32, 32);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor::fromHsv(frame * 45, 200, 160));
        painter.drawEllipse(QRectF(2, 2, 28, 28));
        painter.end();
        frames << QIcon(picture);
    }
    int shown = 0;
    QTimer animation;
    QObject::connect(&animation, &QTimer::timeout, &tray, [&] {
        shown = (shown + 1) % int(frames.size());
        tray.setIcon(frames.at(shown));
    });
    if (QCoreApplication::arguments().contains(QStringLiteral("--animated"))) {
        animation.start(500);
    }
    return QApplication::exec();
}
