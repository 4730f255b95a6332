#pragma once

#include "messagebox.h"

#include <QList>

// Takes the place of real message boxes while it exists: records every box and gives `answer`.
class RecordingPresenter final : public MessageBox::Presenter
{
public:
    RecordingPresenter() { MessageBox::setPresenter(this); }
    ~RecordingPresenter() override { MessageBox::setPresenter(nullptr); }

    MessageBox::Button present(const MessageBox::Box &box) override
    {
        boxes << box;
        return answer;
    }

    QList<MessageBox::Box> boxes;
    MessageBox::Button answer = MessageBox::Ok;
};
