#include "database.h"
#include "entrydaymodel.h"
#include "mainwindow.h"
#include "recorder.h"
#include "recordingfakes.h"
#include "session.h"
#include "timelinestrip.h"
#include "windowgallery.h"

#include <QPixmapCache>
#include <QTest>
#include <QTreeView>

// Closed to the tray, the window lets go of its day (entry trees, timeline) and of what it can render
// again; shown again, it shows what it showed, and what was recorded meanwhile.
class TestWindowCaches : public QObject
{
    Q_OBJECT

private:
    FakeForegroundSource *m_windows = nullptr;
    FakeClock m_clock;
    std::unique_ptr<MainWindow> m_window;
    const QStringList m_views{QStringLiteral("appList"), QStringLiteral("linkedEntries")};

    QList<QImage> viewImages() const
    {
        QList<QImage> images;
        for (const QString &name : m_views) {
            images << m_window->findChild<QWidget *>(name)->grab().toImage();
        }
        images << m_window->findChild<TimelineStrip *>()->grab().toImage();
        return images;
    }

    void record(const QString &path, const QString &title, int seconds)
    {
        m_windows->show(path, title);
        for (int second = 0; second < seconds; ++second) {
            m_window->recorder()->updateApps();
            m_clock.advance(1);
        }
    }

    void createWindow()
    {
        m_window.reset();
        m_windows = new FakeForegroundSource;
        m_clock.set(QDateTime(QDate::currentDate(), QTime(12, 0)));
        RecordingSources sources;
        sources.windows.reset(m_windows);
        sources.idle = std::make_unique<FakeIdleSource>();
        sources.metadata = std::make_unique<FakeAppMetadata>();
        sources.clock = &m_clock;
        m_window = std::make_unique<MainWindow>(nullptr, Qt::WindowFlags(), std::move(sources));
    }

private Q_SLOTS:
    void init()
    {
        WindowGallery::prepareOfflineStart();
        createWindow();
        WindowGallery::showWithSampleDay(m_window.get());
        QTRY_VERIFY(m_window->isInitialised());
    }

    void cleanup() { m_window.reset(); }

    void shownAgainShowsTheSame()
    {
        // A node the user closed stays closed.
        auto *unlinked = m_window->findChild<QTreeView *>(m_views.first());
        unlinked->collapse(unlinked->model()->index(0, 0));
        // So do the rows the user selected, and the current one.
        const QModelIndex app = unlinked->model()->index(1, 0);
        unlinked->expand(app);
        const QModelIndex title = unlinked->model()->index(0, 0, app);
        unlinked->selectionModel()->setCurrentIndex(title,
                                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        unlinked->selectionModel()->select(unlinked->model()->index(0, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        const auto selectedNames = [unlinked] {
            QStringList names;
            for (const QModelIndex &index : unlinked->selectionModel()->selectedRows()) {
                names << index.data().toString();
            }
            names.sort();
            return names;
        };
        const QStringList selected = selectedNames();
        const QString current = unlinked->currentIndex().data().toString();
        QCOMPARE(selected.size(), 2);
        const QList<QImage> before = viewImages();
        QPixmap rendered(16, 16);
        rendered.fill(Qt::darkGreen);
        const QString key = QStringLiteral("rendered while shown");
        QPixmapCache::insert(key, rendered);

        m_window->hide();
        QPixmap kept;
        QVERIFY(!QPixmapCache::find(key, &kept));
        QCOMPARE(unlinked->model()->rowCount(), 0);

        m_window->show();
        QTRY_COMPARE(viewImages(), before);
        QCOMPARE(selectedNames(), selected);
        QCOMPARE(unlinked->currentIndex().data().toString(), current);
    }

    void startedInTheTrayHoldsNoDayUntilShown()
    {
        const auto rowCounts = [this] {
            QList<int> counts;
            for (const QString &name : m_views) {
                counts << m_window->findChild<QTreeView *>(name)->model()->rowCount();
            }
            return counts;
        };
        const qint64 total = m_window->unlinkedModel()->totalTime();
        const QList<int> shownRows = rowCounts();
        QVERIFY(total > 0);
        QVERIFY(shownRows.first() > 0);
        // The next login starts the program in the tray, on the same day.
        createWindow();
        m_window->session()->setRetryInterval(0);
        QTRY_VERIFY(m_window->isInitialised());
        QCOMPARE(rowCounts(), QList<int>({0, 0}));

        m_window->show();
        QCOMPARE(m_window->unlinkedModel()->totalTime(), total);
        QCOMPARE(rowCounts(), shownRows);
        // Open as at a start with the window shown.
        auto *unlinked = m_window->findChild<QTreeView *>(m_views.first());
        for (int row = 0; row < shownRows.first(); ++row) {
            QVERIFY(unlinked->isExpanded(unlinked->model()->index(row, 0)));
        }
    }

    void shownDayKeepsNoDatabasePagesOnceBuilt()
    {
        // Each stretch recorded while the window shows rebuilds the day from the database.
        m_window->setRecording(true);
        record(QStringLiteral("/usr/bin/ed"), QStringLiteral("minutes.txt"), 3);
        record(QStringLiteral("/usr/bin/vi"), QStringLiteral("other"), 3);
        m_window->setRecording(false);
        const qint64 readForTheBuild = Database::cachedBytes();

        QVERIFY(readForTheBuild > 0);
        QTRY_VERIFY(Database::cachedBytes() < readForTheBuild);

        QVERIFY(m_window->unlinkedModel()->itemModel()->rowCount() > 0);
    }

    void shownAgainShowsWhatWasRecordedMeanwhile()
    {
        const qint64 before = m_window->unlinkedModel()->totalTime();
        m_window->hide();
        m_window->setRecording(true);
        record(QStringLiteral("/usr/bin/ed"), QStringLiteral("minutes.txt"), 90);
        record(QStringLiteral("/usr/bin/vi"), QStringLiteral("other"), 30);
        m_window->setRecording(false);

        m_window->show();
        QCOMPARE(m_window->unlinkedModel()->totalTime(), before + 120);
        const QAbstractItemModel *model = m_window->unlinkedModel()->itemModel();
        const QModelIndexList found = model->match(model->index(0, 0), Qt::DisplayRole, QStringLiteral("minutes.txt"),
                                                   1, Qt::MatchRecursive | Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
    }
};

QTEST_MAIN(TestWindowCaches)
#include "tst_windowcaches.moc"
