#include "feedupdatechecker.h"

#include "linkopener.h"
#include "messagebox.h"
#include "updatecheckerfactory.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QWidget>

namespace {
QString title()
{
    return FeedUpdateChecker::tr("Check for Updates");
}
} // namespace

std::unique_ptr<UpdateChecker> createUpdateChecker()
{
    return std::make_unique<FeedUpdateChecker>();
}

FeedUpdateChecker::FeedUpdateChecker(const QString &runningVersion, QObject *parent)
    : QObject(parent)
    , m_runningVersion(runningVersion)
{}

FeedUpdateChecker::~FeedUpdateChecker()
{
    cleanup();
}

void FeedUpdateChecker::setAppcastUrl(const QString &url)
{
    m_url = QUrl(url);
}

void FeedUpdateChecker::init()
{
    // Checks run only when the user asks; nothing is fetched behind their back.
    if (!m_manager) {
        m_manager = new QNetworkAccessManager(this);
    }
}

void FeedUpdateChecker::cleanup()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
    m_reply = nullptr;
}

void FeedUpdateChecker::checkWithUi(QWidget *parent)
{
    check(parent, false);
}

void FeedUpdateChecker::checkInBackground(QWidget *parent)
{
    check(parent, true);
}

void FeedUpdateChecker::check(QWidget *parent, bool quiet)
{
    if (m_reply) {
        // A check the user asks for while a background one runs shows its outcome.
        m_quiet = m_quiet && quiet;
        return;
    }
    init();
    m_parent = parent;
    m_quiet = quiet;
    if (!m_url.isValid() || m_url.isRelative()) {
        const QString text = tr("The update feed address is not set.");
        if (!quiet) {
            MessageBox::warning(parent, title(), text);
        }
        Q_EMIT checkFinished(text);
        return;
    }
    QNetworkRequest request(m_url);
    request.setTransferTimeout(TimeoutMs);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("TavroDesk/") + m_runningVersion);
    m_tooLarge = false;
    m_reply = m_manager->get(request);
    connect(m_reply, &QNetworkReply::finished, this, &FeedUpdateChecker::onFinished);
    // A feed is a few kilobytes: stop reading one that grows past the limit instead of holding it all.
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64 total) {
        if (m_reply && (received > Appcast::MaxFeedBytes || total > Appcast::MaxFeedBytes)) {
            m_tooLarge = true;
            m_reply->abort();
        }
    });
}

FeedUpdateChecker::Verdict FeedUpdateChecker::judge(const Appcast::Feed &feed, const QString &runningVersion)
{
    Verdict verdict;
    if (!feed.ok) {
        verdict.failed = true;
        verdict.text = tr("The update information could not be read: %1").arg(feed.error);
        return verdict;
    }
    const Appcast::Release *release = Appcast::newest(feed.releases);
    if (!release) {
        verdict.failed = true;
        verdict.text = tr("The update information lists no releases.");
        return verdict;
    }
    if (Appcast::compareVersions(release->version, runningVersion) <= 0) {
        verdict.text = tr("TavroDesk is up to date.");
        return verdict;
    }
    verdict.text = tr("Version %1 is available.").arg(release->version);
    verdict.link = release->link;
    return verdict;
}

void FeedUpdateChecker::onFinished()
{
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    if (!reply) {
        return;
    }
    reply->deleteLater();
    Verdict verdict;
    if (m_tooLarge) {
        verdict.failed = true;
        verdict.text = tr("The update information could not be read: The feed is larger than %1 KB.")
                           .arg(Appcast::MaxFeedBytes / 1024);
    } else if (reply->error() != QNetworkReply::NoError) {
        verdict.failed = true;
        verdict.text = tr("The update information could not be fetched: %1").arg(reply->errorString());
    } else {
        verdict = judge(Appcast::parse(reply->readAll()), m_runningVersion);
    }
    qDebug() << "update check:" << verdict.text;

    if (m_quiet && verdict.link.isEmpty()) {
        // Nothing new, or the feed could not be read: not worth interrupting the user for.
    } else if (verdict.failed) {
        MessageBox::warning(m_parent, title(), verdict.text);
    } else if (verdict.link.isEmpty()) {
        MessageBox::information(m_parent, title(), verdict.text);
    } else {
        const QUrl link(verdict.link);
        const bool web =
            link.isValid() && (link.scheme() == QLatin1String("http") || link.scheme() == QLatin1String("https"));
        if (!web) {
            MessageBox::information(m_parent, title(), verdict.text);
        } else if (MessageBox::question(m_parent, title(), tr("%1\nOpen the download page?").arg(verdict.text)) ==
                   MessageBox::Yes) {
            LinkOpener::open(m_parent, link);
        }
    }
    Q_EMIT checkFinished(verdict.text);
}
