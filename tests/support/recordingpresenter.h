#pragma once

#include "messagebox.h"

#include <QList>

#include <functional>

// Stands in for the message boxes: remembers every box shown and answers with queued buttons
// (or the box's default, else Ok). Installs itself for its lifetime.
class RecordingPresenter final : public MessageBox::Presenter
{
public:
    RecordingPresenter();
    ~RecordingPresenter() override;

    MessageBox::Button present(const MessageBox::Box &box) override;

    void answerNext(MessageBox::Button button) { m_answers.append(button); }
    // Runs while each box is "open", as a user reading it would let the event loop run.
    void setWhileShown(std::function<void()> whileShown) { m_whileShown = std::move(whileShown); }
    const QList<MessageBox::Box> &boxes() const { return m_boxes; }
    QString lastTitle() const { return m_boxes.isEmpty() ? QString() : m_boxes.last().title; }
    QString lastText() const { return m_boxes.isEmpty() ? QString() : m_boxes.last().text; }
    void clear() { m_boxes.clear(); }
    // Forgets answers no box took.
    void clearAnswers() { m_answers.clear(); }

private:
    MessageBox::Presenter *m_previous = nullptr;
    QList<MessageBox::Box> m_boxes;
    QList<MessageBox::Button> m_answers;
    std::function<void()> m_whileShown;
};
