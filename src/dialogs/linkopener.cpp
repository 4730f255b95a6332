#include "linkopener.h"

#include "messagebox.h"

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
    MessageBox::information(parent, QStringLiteral("Open Link"),
                            QStringLiteral("No web browser could be opened. The address is:\n") +
                                url.toDisplayString());
    return false;
}
