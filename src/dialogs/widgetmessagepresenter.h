#pragma once

#include "messagebox.h"

// Shows the boxes of the message-box seam as real, modal QMessageBoxes.
class WidgetMessagePresenter final : public MessageBox::Presenter
{
public:
    MessageBox::Button present(const MessageBox::Box &box) override;
};
