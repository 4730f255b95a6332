#include "lineedit.h"

#include <QStyle>
#include <QToolButton>

LineEdit::LineEdit(QWidget *parent)
    : QLineEdit(parent)
    , m_clearButton(new QToolButton(this))
{
    const QPixmap pixmap(QStringLiteral(":/icons/res/clear.png"));
    m_clearButton->setIcon(QIcon(pixmap));
    m_clearButton->setIconSize(pixmap.size());
    m_clearButton->setCursor(Qt::ArrowCursor);
    m_clearButton->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0px; }"));
    m_clearButton->setFocusPolicy(Qt::NoFocus);
    m_clearButton->setAccessibleName(tr("Clear"));
    m_clearButton->hide();
    connect(m_clearButton, &QToolButton::clicked, this, &QLineEdit::clear);
    connect(this, &QLineEdit::textChanged, this, &LineEdit::updateCloseButton);

    const int frameWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const QSize button = m_clearButton->sizeHint();
    setStyleSheet(QStringLiteral("QLineEdit { padding-right: %1px; } ").arg(button.width() + frameWidth + 1));
    const QSize hint = minimumSizeHint();
    setMinimumSize(qMax(hint.width(), button.width() + frameWidth * 2 + 2),
                   qMax(hint.height(), button.height() + frameWidth * 2 + 2));
}

void LineEdit::updateCloseButton(const QString &text)
{
    m_clearButton->setVisible(!text.isEmpty());
}

void LineEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    const int frameWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const QSize button = m_clearButton->sizeHint();
    m_clearButton->move(rect().right() - frameWidth - button.width(), (rect().bottom() + 1 - button.height()) / 2);
}
