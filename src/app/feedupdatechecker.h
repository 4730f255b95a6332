#pragma once

#include "appcast.h"
#include "buildinfo.h"
#include "updatechecker.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// Reads the update feed over HTTP and tells the user whether a newer release exists, with a link
// to its download page. It installs nothing.
class FeedUpdateChecker : public QObject, public UpdateChecker
{
    Q_OBJECT

public:
    static constexpr int TimeoutMs = 20000;

    explicit FeedUpdateChecker(const QString &runningVersion = BuildInfo::version(), QObject *parent = nullptr);
    ~FeedUpdateChecker() override;

    void setAppcastUrl(const QString &url) override;
    void init() override;
    void checkWithUi(QWidget *parent) override;
    void checkInBackground(QWidget *parent) override;
    void cleanup() override;

    bool isChecking() const { return !m_reply.isNull(); }

    // What the user is told about a fetched feed; `link` is set when a newer release is offered.
    struct Verdict
    {
        QString text;
        QString link;
        bool failed = false;
    };
    static Verdict judge(const Appcast::Feed &feed, const QString &runningVersion);

Q_SIGNALS:
    // A check ended and its verdict was shown.
    void checkFinished(const QString &text);

private:
    void check(QWidget *parent, bool quiet);
    void onFinished();

    QString m_runningVersion;
    QUrl m_url;
    QNetworkAccessManager *m_manager = nullptr;
    QPointer<QNetworkReply> m_reply;
    QPointer<QWidget> m_parent;
    bool m_quiet = false;
    bool m_tooLarge = false;
};
