#pragma once

#include "messagebox.h"

class QFontMetrics;
class QString;

// Shows the boxes of the message-box seam as real, modal QMessageBoxes.
class WidgetMessagePresenter final : public MessageBox::Presenter
{
public:
    // Wider text is wrapped even inside a word: no box outgrows a small screen.
    static constexpr int MaximumTextWidth = 700;

    MessageBox::Button present(const MessageBox::Box &box) override;
    // The session ends and nobody will answer: every later box is logged and answered with No,
    // else Cancel, unseen.
    void silence() { m_silenced = true; }
    // How wide the text must be at least for the title and the longest word to show whole.
    static int minimumTextWidth(const QFontMetrics &metrics, const QString &title, const QString &text);

private:
    bool m_silenced = false;
};
