#pragma once

#include "messagebox.h"

#include <QList>

// Records every message box instead of showing it and answers with a preset button.
class RecordingPresenter : public MessageBox::Presenter
{
public:
    RecordingPresenter() { MessageBox::setPresenter(this); }
    ~RecordingPresenter() override { MessageBox::setPresenter(nullptr); }

    MessageBox::Button present(const MessageBox::Box &box) override
    {
        boxes.append(box);
        return answer;
    }

    QList<MessageBox::Box> boxes;
    MessageBox::Button answer = MessageBox::Ok;
};
