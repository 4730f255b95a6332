#pragma once

#include <QLineEdit>

class QToolButton;

// A line edit with a clear button at its right end, shown while there is text.
class LineEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit LineEdit(QWidget *parent = nullptr);

    QToolButton *clearButton() const { return m_clearButton; }

public Q_SLOTS:
    void updateCloseButton(const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QToolButton *m_clearButton;
};
