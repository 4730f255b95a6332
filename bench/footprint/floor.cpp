// Qt's own floor for a tray application: a main window with a tree view, a tray icon and a one-second
// timer, nothing else. bench_footprint measures TavroDesk against it under the same X server.

#include <QApplication>
#include <QMainWindow>
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
    return QApplication::exec();
}
