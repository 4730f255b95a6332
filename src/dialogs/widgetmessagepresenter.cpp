#include "widgetmessagepresenter.h"

#include <QDebug>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpacerItem>

namespace {
// Keeps the text column at least `width` wide. A spacer, not a minimum width on the label: the box
// measures its label unwrapped to decide whether to wrap, and a fixed label width defeats that,
// leaving long texts cut off in a box sized for one line.
void reserveTextWidth(QMessageBox &message, int width)
{
    auto *grid = qobject_cast<QGridLayout *>(message.layout());
    auto *label = message.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    const int index = grid && label ? grid->indexOf(label) : -1;
    if (index < 0) {
        return;
    }
    int row = 0;
    int column = 0;
    int rowSpan = 0;
    int columnSpan = 0;
    grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), column);
}
} // namespace

MessageBox::Button WidgetMessagePresenter::present(const MessageBox::Box &box)
{
    // The box's way of saying no, for a box nobody answers.
    const MessageBox::Button declined = box.buttons.testFlag(MessageBox::No) ? MessageBox::No : MessageBox::Cancel;
    if (m_silenced) {
        qDebug().noquote() << "not shown, the session ends:" << box.title << box.text;
        return declined;
    }
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
    // The box is made wide enough for its title and for the longest word, so that neither the
    // title nor a file path is cut or broken at a "/".
    const int width = minimumTextWidth(message.fontMetrics(), box.title, box.text);
    reserveTextWidth(message, width);
    if (box.defaultButton != MessageBox::NoButton) {
        message.setDefaultButton(static_cast<QMessageBox::StandardButton>(box.defaultButton));
    }
    for (const auto &[button, text] :
         {std::pair{QMessageBox::Yes, box.yesText}, std::pair{QMessageBox::No, box.noText}}) {
        if (!text.isEmpty() && message.button(button)) {
            message.button(button)->setText(text);
        }
    }
    const int answer = message.exec();
    // Closed without a button, as when the session ends.
    return answer == 0 ? declined : static_cast<MessageBox::Button>(answer);
}

int WidgetMessagePresenter::minimumTextWidth(const QFontMetrics &metrics, const QString &title, const QString &text)
{
    // The title bar also holds the window's buttons; the box's icon sits beside the text.
    int width = metrics.horizontalAdvance(title) + 60;
    const QStringList words = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    for (const QString &word : words) {
        width = qMax(width, metrics.horizontalAdvance(word));
    }
    return qMin(width, MaximumTextWidth);
}
