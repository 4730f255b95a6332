#include "mainwindow.h"
#include "tavroapp.h"
#include "testsupport.h"
#include "windowgallery.h"

#include <QApplication>
#include <QPalette>
#include <QTimer>

#include <cstdio>

namespace {
// A dark desktop's colours, as a dark theme hands them to Qt.
QPalette darkPalette()
{
    QPalette dark;
    const QColor window(0x35, 0x35, 0x35);
    const QColor base(0x24, 0x24, 0x24);
    const QColor text(0xee, 0xee, 0xee);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        dark.setColor(group, QPalette::Window, window);
        dark.setColor(group, QPalette::WindowText, text);
        dark.setColor(group, QPalette::Base, base);
        dark.setColor(group, QPalette::AlternateBase, window);
        dark.setColor(group, QPalette::Text, text);
        dark.setColor(group, QPalette::Button, window);
        dark.setColor(group, QPalette::ButtonText, text);
        dark.setColor(group, QPalette::ToolTipBase, base);
        dark.setColor(group, QPalette::ToolTipText, text);
        dark.setColor(group, QPalette::PlaceholderText, QColor(0x9a, 0x9a, 0x9a));
        dark.setColor(group, QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
        dark.setColor(group, QPalette::HighlightedText, Qt::white);
        dark.setColor(group, QPalette::Link, QColor(0x6c, 0xb4, 0xff));
        dark.setColor(group, QPalette::Light, QColor(0x50, 0x50, 0x50));
        dark.setColor(group, QPalette::Midlight, QColor(0x45, 0x45, 0x45));
        dark.setColor(group, QPalette::Mid, QColor(0x60, 0x60, 0x60));
        dark.setColor(group, QPalette::Dark, QColor(0x20, 0x20, 0x20));
        dark.setColor(group, QPalette::Shadow, Qt::black);
    }
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    return dark;
}
} // namespace

// Shows the main window with a sample day and every dialog beside it, then says "ready" on
// standard output and runs until it is ended: for the accessibility walk and the screenshots.
// TAVRO_GALLERY_PALETTE=dark shows it in a dark palette; TAVRO_GALLERY_ONLY=Name,... keeps only
// the dialogs of those object names open.
int main(int argc, char *argv[])
{
    TavroApp app(argc, argv);
    if (qEnvironmentVariable("TAVRO_GALLERY_PALETTE") == QLatin1String("dark")) {
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(darkPalette());
    }
    WindowGallery::prepareOfflineStart();
    MainWindow window;
    WindowGallery::showWithSampleDay(&window);
    QTimer::singleShot(0, &window, [&window] {
        const QStringList only = qEnvironmentVariable("TAVRO_GALLERY_ONLY").split(QLatin1Char(','), Qt::SkipEmptyParts);
        const QList<QWidget *> dialogs =
            WindowGallery::openDialogs(&window, TestSupport::fixtureReply(QStringLiteral("projects.xml")));
        for (QWidget *dialog : dialogs) {
            if (!only.isEmpty() && !only.contains(dialog->objectName())) {
                dialog->close();
            }
        }
        std::puts("ready");
        std::fflush(stdout);
    });
    return TavroApp::exec();
}
