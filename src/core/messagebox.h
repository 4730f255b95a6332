#pragma once

#include <QObject>
#include <QString>

// The seam through which every layer asks the user something or tells them about a failure.
// The application installs a presenter that shows real message boxes; tests install one that
// records the boxes and answers them. The button values equal QMessageBox::StandardButton.
namespace MessageBox {

enum Button {
    NoButton = 0x00000000,
    Ok = 0x00000400,
    Yes = 0x00004000,
    No = 0x00010000,
    Close = 0x00200000,
    Cancel = 0x00400000,
};
Q_DECLARE_FLAGS(Buttons, Button)

enum class Icon { Information, Warning, Critical, Question };

struct Box
{
    Icon icon = Icon::Information;
    QString title;
    QString text;
    Buttons buttons = Ok;
    Button defaultButton = NoButton;
    // What the Yes and No buttons say instead, when set: the action itself and the way out.
    QString yesText;
    QString noText;
    // The widget the box belongs to; may be null.
    QObject *parent = nullptr;
};

class Presenter
{
public:
    virtual ~Presenter() = default;
    virtual Button present(const Box &box) = 0;
};

// Installs the presenter (not owned). Null makes boxes go only to the debug log.
void setPresenter(Presenter *presenter);
Presenter *presenter();

Button show(const Box &box);
Button information(QObject *parent, const QString &title, const QString &text, Buttons buttons = Ok);
Button warning(QObject *parent, const QString &title, const QString &text, Buttons buttons = Ok);
Button critical(QObject *parent, const QString &title, const QString &text, Buttons buttons = Ok);
Button question(QObject *parent, const QString &title, const QString &text, Buttons buttons = Buttons(Yes) | No,
                Button defaultButton = NoButton);
// Asks before something that cannot be undone. Yes carries `actionText`, No `keepText`, and No is
// the default, so that Enter or a closed box changes nothing.
Button confirm(QObject *parent, const QString &title, const QString &text, const QString &actionText,
               const QString &keepText);

} // namespace MessageBox

Q_DECLARE_OPERATORS_FOR_FLAGS(MessageBox::Buttons)
