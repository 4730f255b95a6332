#include "widgetmessagepresenter.h"

#include <QMessageBox>

MessageBox::Button WidgetMessagePresenter::present(const MessageBox::Box &box)
{
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (box.icon) {
    case MessageBox::Icon::Information:
        icon = QMessageBox::Information;
        break;
    case MessageBox::Icon::Warning:
        icon = QMessageBox::Warning;
        break;
    case MessageBox::Icon::Critical:
        icon = QMessageBox::Critical;
        break;
    case MessageBox::Icon::Question:
        icon = QMessageBox::Question;
        break;
    }
    QMessageBox message(icon, box.title, box.text, QMessageBox::StandardButtons(static_cast<int>(box.buttons.toInt())),
                        qobject_cast<QWidget *>(box.parent));
    // Texts may quote window titles or service replies: never let them be read as markup.
    message.setTextFormat(Qt::PlainText);
    if (box.defaultButton != MessageBox::NoButton) {
        message.setDefaultButton(static_cast<QMessageBox::StandardButton>(box.defaultButton));
    }
    return static_cast<MessageBox::Button>(message.exec());
}
