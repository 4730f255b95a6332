#pragma once

#include "messagebox.h"

#include <QFile>
#include <QList>
#include <QString>
#include <QtGlobal>

namespace TestSupport {

// Records every message box and answers it with a fixed button.
class BoxRecorder : public MessageBox::Presenter
{
public:
    BoxRecorder() { MessageBox::setPresenter(this); }
    ~BoxRecorder() override { MessageBox::setPresenter(nullptr); }
    BoxRecorder(const BoxRecorder &) = delete;
    BoxRecorder &operator=(const BoxRecorder &) = delete;

    MessageBox::Button present(const MessageBox::Box &box) override
    {
        boxes.append(box);
        return answer;
    }

    QList<MessageBox::Box> boxes;
    MessageBox::Button answer = MessageBox::Ok;
};

// A fixture from tests/data as a reply text: one character per byte, as replies are kept.
inline QString fixtureReply(const QString &name)
{
    QFile file(qEnvironmentVariable("TAVRO_TEST_DATA") + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly)) {
        qFatal("missing fixture %s", qPrintable(name));
    }
    return QString::fromLatin1(file.readAll());
}

} // namespace TestSupport
