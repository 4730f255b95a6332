#include "clickablelabel.h"

#include <QMouseEvent>

void ClickableLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    Q_EMIT doubleClicked();
    QLabel::mouseDoubleClickEvent(event);
}
