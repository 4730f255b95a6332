#include "recordingpresenter.h"

RecordingPresenter::RecordingPresenter()
    : m_previous(MessageBox::presenter())
{
    MessageBox::setPresenter(this);
}

RecordingPresenter::~RecordingPresenter()
{
    MessageBox::setPresenter(m_previous);
}

MessageBox::Button RecordingPresenter::present(const MessageBox::Box &box)
{
    m_boxes.append(box);
    if (m_whileShown) {
        m_whileShown();
    }
    if (!m_answers.isEmpty()) {
        return m_answers.takeFirst();
    }
    return box.defaultButton != MessageBox::NoButton ? box.defaultButton : MessageBox::Ok;
}
