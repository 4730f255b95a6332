#include "clock.h"
#include "daterangepicker.h"
#include "exportdialog.h"
#include "recordingpresenter.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

namespace {
class FixedClock final : public Clock
{
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 3, 18), QTime(10, 0)); }
};
} // namespace

class TestExportDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rangeFormatAndFileFollowTheChoices()
    {
        FixedClock clock;
        ExportDialog dialog(QDate(2026, 3, 10), &clock);
        QCOMPARE(dialog.rangePicker()->from(), QDate(2026, 3, 10));
        QCOMPARE(dialog.rangePicker()->to(), QDate(2026, 3, 10));
        QVERIFY(dialog.pathEdit()->text().endsWith(QStringLiteral("/tavrodesk-2026-03-10.csv")));

        dialog.jsonButton()->setChecked(true);
        QComboBox *presets = dialog.rangePicker()->presets();
        presets->setCurrentIndex(presets->findData(QStringLiteral("prev week")));
        QCOMPARE(dialog.rangePicker()->from(), QDate(2026, 3, 9));
        QVERIFY(dialog.pathEdit()->text().endsWith(QStringLiteral("/tavrodesk-2026-03-09_2026-03-15.json")));

        // Editing a date by hand switches to "Custom"; a file name typed by the user stays.
        dialog.pathEdit()->setText(QStringLiteral("/tmp/mine.json"));
        Q_EMIT dialog.pathEdit()->textEdited(dialog.pathEdit()->text());
        dialog.rangePicker()->toEdit()->setDate(QDate(2026, 3, 20));
        QCOMPARE(presets->currentData().toString(), QStringLiteral("custom"));
        QCOMPARE(dialog.pathEdit()->text(), QStringLiteral("/tmp/mine.json"));

        dialog.getData();
        QCOMPARE(dialog.dateFrom, QDate(2026, 3, 9));
        QCOMPARE(dialog.dateTo, QDate(2026, 3, 20));
        QVERIFY(dialog.json);
        QCOMPARE(dialog.path, QStringLiteral("/tmp/mine.json"));
    }

    void unusableChoicesKeepTheDialogOpen()
    {
        RecordingPresenter presenter;
        FixedClock clock;
        ExportDialog dialog(QDate(2026, 3, 10), &clock);
        dialog.show();
        dialog.rangePicker()->fromEdit()->setDate(QDate(2026, 3, 12));
        dialog.rangePicker()->toEdit()->setDate(QDate(2026, 3, 11));
        dialog.accept();
        QCOMPARE(presenter.lastText(), QStringLiteral("The range ends before it starts."));
        QVERIFY(dialog.isVisible());

        dialog.rangePicker()->toEdit()->setDate(QDate(2026, 3, 12));
        dialog.pathEdit()->setText(QStringLiteral("  "));
        dialog.accept();
        QCOMPARE(presenter.lastText(), QStringLiteral("Choose a file to export to."));
        QVERIFY(dialog.isVisible());

        dialog.pathEdit()->setText(QStringLiteral("/tmp/out.csv"));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(presenter.boxes().size(), 2);
    }
};

QTEST_MAIN(TestExportDialog)
#include "tst_exportdialog.moc"
