#include "linkopener.h"

#include "messagebox.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QUrl>
#include <QWidget>

bool LinkOpener::open(QWidget *parent, const QUrl &url)
{
    if (url.isValid() && QDesktopServices::openUrl(url)) {
        return true;
    }
    qDebug() << "no browser opened" << url;
    MessageBox::information(
        parent, QCoreApplication::translate("LinkOpener", "Open Link"),
        QCoreApplication::translate("LinkOpener", "No web browser could be opened. The address is:\n%1")
            .arg(url.toDisplayString()));
    return false;
}
