#include "messagebox.h"

#include <QDebug>

namespace {
MessageBox::Presenter *currentPresenter = nullptr;

MessageBox::Button showBox(MessageBox::Icon icon, QObject *parent, const QString &title, const QString &text,
                           MessageBox::Buttons buttons, MessageBox::Button defaultButton)
{
    MessageBox::Box box;
    box.icon = icon;
    box.parent = parent;
    box.title = title;
    box.text = text;
    box.buttons = buttons;
    box.defaultButton = defaultButton;
    return MessageBox::show(box);
}
} // namespace

void MessageBox::setPresenter(Presenter *presenter)
{
    currentPresenter = presenter;
}

MessageBox::Presenter *MessageBox::presenter()
{
    return currentPresenter;
}

MessageBox::Button MessageBox::show(const Box &box)
{
    if (!currentPresenter) {
        qWarning() << "message box without presenter:" << box.title << box.text;
        return box.defaultButton != NoButton ? box.defaultButton : Cancel;
    }
    qDebug().noquote() << "message box:" << box.title << "-" << box.text;
    return currentPresenter->present(box);
}

MessageBox::Button MessageBox::information(QObject *parent, const QString &title, const QString &text, Buttons buttons)
{
    return showBox(Icon::Information, parent, title, text, buttons, NoButton);
}

MessageBox::Button MessageBox::warning(QObject *parent, const QString &title, const QString &text, Buttons buttons)
{
    return showBox(Icon::Warning, parent, title, text, buttons, NoButton);
}

MessageBox::Button MessageBox::critical(QObject *parent, const QString &title, const QString &text, Buttons buttons)
{
    return showBox(Icon::Critical, parent, title, text, buttons, NoButton);
}

MessageBox::Button MessageBox::question(QObject *parent, const QString &title, const QString &text, Buttons buttons,
                                        Button defaultButton)
{
    return showBox(Icon::Question, parent, title, text, buttons, defaultButton);
}

MessageBox::Button MessageBox::confirm(QObject *parent, const QString &title, const QString &text,
                                       const QString &actionText, const QString &keepText)
{
    Box box;
    box.icon = Icon::Question;
    box.parent = parent;
    box.title = title;
    box.text = text;
    box.buttons = Buttons(Yes) | No;
    box.defaultButton = No;
    box.yesText = actionText;
    box.noText = keepText;
    return show(box);
}
