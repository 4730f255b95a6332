#include "recordingpresenter.h"
#include "rulesdialog.h"
#include "rulestore.h"
#include "ruletestdb.h"
#include "settings.h"

#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>

namespace {
const QDate From(2012, 3, 5);
const QDate To(2012, 3, 7);

QString longDate(const QDate &date)
{
    return date.toString(QLocale::system().dateFormat(QLocale::LongFormat));
}

// The dialog, its widgets, and the storage operations wired to its signals as the main window does.
struct Harness
{
    Harness()
    {
        QObject::connect(&dialog, &RulesDialog::signalRemoveRule, &dialog, &RuleStore::removeRule);
        QObject::connect(&dialog, &RulesDialog::signalActivateRule, &dialog, &RuleStore::activateRule);
        QObject::connect(&dialog, &RulesDialog::signalMoveRule, &dialog, &RuleStore::moveRule);
        QObject::connect(&dialog, &RulesDialog::signalDuplicateRule, &dialog,
                         [](int ruleId) { RuleStore::duplicateRule(ruleId); });
    }

    QPushButton *button(const char *name) const { return dialog.findChild<QPushButton *>(QLatin1String(name)); }
    int currentId() const { return list->currentItem() ? list->currentItem()->data(Qt::UserRole).toInt() : 0; }
    QStringList names() const
    {
        QStringList result;
        for (int row = 0; row < list->count(); ++row) {
            result << list->item(row)->text();
        }
        return result;
    }

    RulesDialog dialog;
    QListWidget *list = dialog.findChild<QListWidget *>(QStringLiteral("rules"));
    QTextBrowser *description = dialog.findChild<QTextBrowser *>(QStringLiteral("description"));
};
} // namespace

class TestRulesDialog : public QObject
{
    Q_OBJECT

private:
    RuleTestDb m_db;
    RecordingPresenter m_presenter;
    int m_editor = 0;
    int m_mail = 0;

    static int addRule(const QString &name, const QList<int> &apps, const QString &titleRule = QStringLiteral("or"),
                       const QString &title = QString(), const QString &dateRule = QStringLiteral("always"))
    {
        return RuleStore::addRule(name, apps, titleRule, title, dateRule, From, To, 3, 4);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_db.open()); }

    void init()
    {
        RuleTestDb::reset();
        m_presenter.boxes.clear();
        Settings::instance()->values.remove(QStringLiteral("mapProjectNames"));
        Settings::instance()->values.remove(QStringLiteral("mapTaskNames"));
        m_editor = RuleTestDb::addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
        m_mail = RuleTestDb::addApp(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"));
    }

    void emptyListDisablesRuleButtons()
    {
        Harness h;
        QCOMPARE(h.list->count(), 0);
        for (const char *name : {"btnEdit", "btnRemove", "btnUp", "btnDown", "btnApplyRules"}) {
            QVERIFY2(!h.button(name)->isEnabled(), name);
        }
        QVERIFY(h.button("btnAdd")->isEnabled());
        QVERIFY(h.button("btnDuplicate")->isEnabled());
        QVERIFY(h.description->toPlainText().isEmpty());
        QCOMPARE(h.dialog.windowTitle(), QStringLiteral("Rules"));
    }

    void rowsMirrorTheTable()
    {
        const int a = addRule(QStringLiteral("A"), {m_editor});
        const int b = addRule(QStringLiteral("B"), {});
        RuleStore::activateRule(b, false);
        RuleStore::moveRule(b, -1);
        Harness h;
        QCOMPARE(h.names(), (QStringList{QStringLiteral("B"), QStringLiteral("A")}));
        QCOMPARE(h.list->item(0)->checkState(), Qt::Unchecked);
        QCOMPARE(h.list->item(1)->checkState(), Qt::Checked);
        QCOMPARE(h.list->item(1)->data(Qt::UserRole).toInt(), a);
        QCOMPARE(h.currentId(), b);
        for (const char *name : {"btnEdit", "btnRemove", "btnUp", "btnDown", "btnApplyRules"}) {
            QVERIFY2(h.button(name)->isEnabled(), name);
        }
        h.dialog.selectRule(a);
        QCOMPARE(h.currentId(), a);
        h.dialog.selectRule(999);
        QCOMPARE(h.currentId(), a);
    }

    void description_data()
    {
        QTest::addColumn<QString>("titleRule");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("dateRule");
        QTest::addColumn<QString>("titlePart");
        QTest::addColumn<QString>("datePart");

        const QString report = QStringLiteral("report \"Q3 plan\"");
        QTest::newRow("and, between") << "and" << report << "between"
                                      << "contains 'report' and 'Q3 plan'"
                                      << QStringLiteral("between '%1' and '%2'").arg(longDate(From), longDate(To));
        QTest::newRow("or, after") << "or" << report << "after"
                                   << "contains 'report' or 'Q3 plan'"
                                   << QStringLiteral("after '%1'").arg(longDate(From));
        QTest::newRow("or without words, before")
            << "or"
            << ""
            << "before"
            << "contains anything" << QStringLiteral("before '%1'").arg(longDate(To));
        QTest::newRow("exact, always") << "exact"
                                       << "Inbox"
                                       << "always"
                                       << "is 'Inbox'"
                                       << "any date";
        QTest::newRow("regexp") << "regexp"
                                << "^mail"
                                << "always"
                                << "matches regular expression '^mail'"
                                << "any date";
    }

    void description()
    {
        QFETCH(QString, titleRule);
        QFETCH(QString, title);
        QFETCH(QString, dateRule);
        QFETCH(QString, titlePart);
        QFETCH(QString, datePart);

        const int id = addRule(QStringLiteral("r"), {m_mail, m_editor}, titleRule, title, dateRule);
        const QString expected =
            QStringLiteral("Apply this rule for time entries<br/>"
                           "Where Application is <a href='#'>'Editor' or 'Mail'</a><br/>"
                           "&nbsp;&nbsp;and Where the window title <a href='#'>") +
            titlePart.toHtmlEscaped() + QStringLiteral("</a><br/>&nbsp;&nbsp;and Where entry date is <a href='#'>") +
            datePart.toHtmlEscaped() +
            QStringLiteral("</a><br/>Link with task <a href='#'>'#4'</a> from project <a href='#'>'#3'</a><br/>");
        QCOMPARE(RulesDialog::describeRule(id), expected);
    }

    void descriptionUsesCatalogueNames()
    {
        const int id = addRule(QStringLiteral("r"), {m_editor});
        RuleStore::activateRule(id, false);
        Settings::instance()->values.insert(QStringLiteral("mapProjectNames"),
                                            QVariantMap{{QStringLiteral("3"), QStringLiteral("Website")}});
        // The catalogue may keep its maps with string values.
        Settings::instance()->values.insert(
            QStringLiteral("mapTaskNames"),
            QVariant::fromValue(QMap<QString, QString>{{QStringLiteral("5"), QStringLiteral("Other task")}}));
        QString html = RulesDialog::describeRule(id);
        QVERIFY(html.startsWith(QStringLiteral("This rule is currently turned off.<br/>")));
        QVERIFY(html.endsWith(
            QStringLiteral("Link with task <a href='#'>'#4'</a> from project <a href='#'>'Website'</a><br/>")));
        Settings::instance()->values.insert(
            QStringLiteral("mapTaskNames"),
            QVariant::fromValue(QMap<QString, QString>{{QStringLiteral("4"), QStringLiteral("Design")}}));
        html = RulesDialog::describeRule(id);
        QVERIFY(html.endsWith(
            QStringLiteral("Link with task <a href='#'>'Design'</a> from project <a href='#'>'Website'</a><br/>")));
        QVERIFY(RulesDialog::describeRule(id + 1).isEmpty());
    }

    void hostileTextsAreShownAsText()
    {
        const QString hostile = QStringLiteral("<b>x</b><img src=\"file:///etc/passwd\">");
        const int app = RuleTestDb::addApp(QStringLiteral("/opt/evil"), QStringLiteral("<i>Evil</i> & co"));
        const int id = RuleStore::addRule(hostile, {app}, QStringLiteral("exact"), hostile, QStringLiteral("always"),
                                          From, To, 3, 4);
        addRule(QStringLiteral("words"), {app}, QStringLiteral("and"),
                QStringLiteral("<script>alert(1)</script> \"<u>y</u>\""));
        Settings::instance()->values.insert(QStringLiteral("mapProjectNames"),
                                            QVariantMap{{QStringLiteral("3"), QStringLiteral("<h1>Project</h1>")}});
        Settings::instance()->values.insert(QStringLiteral("mapTaskNames"),
                                            QVariantMap{{QStringLiteral("4"), QStringLiteral("<a href='x'>Task</a>")}});

        Harness h;
        h.dialog.selectRule(id);
        const QString text = h.description->toPlainText();
        QVERIFY2(text.contains(QStringLiteral("is '") + hostile + QLatin1Char('\'')), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("'<i>Evil</i> & co'")));
        QVERIFY(text.contains(QStringLiteral("'<h1>Project</h1>'")));
        QVERIFY(text.contains(QStringLiteral("'<a href='x'>Task</a>'")));
        const QString html = h.description->toHtml();
        QVERIFY(!html.contains(QStringLiteral("<img")));
        QVERIFY(!html.contains(QStringLiteral("<h1")));
        QCOMPARE(h.list->currentItem()->text(), hostile);

        h.list->setCurrentRow(1);
        const QString words = h.description->toPlainText();
        QVERIFY2(words.contains(QStringLiteral("contains '<script>alert(1)</script>' and '<u>y</u>'")),
                 qPrintable(words));
        QVERIFY(!h.description->toHtml().contains(QStringLiteral("<script")));
    }

    void removeAsksFirst()
    {
        const int a = addRule(QStringLiteral("A"), {m_editor});
        const int b = addRule(QStringLiteral("B"), {m_editor});
        Harness h;
        QSignalSpy removed(&h.dialog, &RulesDialog::signalRemoveRule);
        h.dialog.selectRule(b);

        m_presenter.answer = MessageBox::No;
        h.button("btnRemove")->click();
        QCOMPARE(m_presenter.boxes.size(), 1);
        const MessageBox::Box box = m_presenter.boxes.first();
        QCOMPARE(box.title, QStringLiteral("Confirm remove"));
        QCOMPARE(box.text, QStringLiteral("Are you sure you want to remove this rule?"));
        QCOMPARE(box.buttons, MessageBox::Buttons(MessageBox::Yes) | MessageBox::No);
        QCOMPARE(box.defaultButton, MessageBox::Yes);
        QCOMPARE(removed.count(), 0);
        QCOMPARE(h.list->count(), 2);
        QCOMPARE(h.currentId(), b);

        m_presenter.answer = MessageBox::Yes;
        h.button("btnRemove")->click();
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed.first().first().toInt(), b);
        QCOMPARE(h.names(), QStringList{QStringLiteral("A")});
        QCOMPARE(h.currentId(), a);
    }

    void uncheckingStoresAtOnce()
    {
        const int a = addRule(QStringLiteral("A"), {m_editor});
        Harness h;
        QSignalSpy activated(&h.dialog, &RulesDialog::signalActivateRule);
        QListWidgetItem *item = h.list->item(0);
        item->setCheckState(Qt::Unchecked);
        QCOMPARE(activated.count(), 1);
        QCOMPARE(activated.first().at(0).toInt(), a);
        QCOMPARE(activated.first().at(1).toBool(), false);
        QCOMPARE(RuleTestDb::scalar(QStringLiteral("SELECT active FROM rules")).toInt(), 0);
        QVERIFY(h.description->toPlainText().startsWith(QStringLiteral("This rule is currently turned off.")));
        // Not reloaded: the same row object carries the new state.
        QCOMPARE(h.list->item(0), item);
        QCOMPARE(item->data(Qt::UserRole + 1).toBool(), false);

        // A change that is not one of the check state does not store anything.
        item->setText(QStringLiteral("renamed"));
        QCOMPARE(activated.count(), 1);
        item->setCheckState(Qt::Checked);
        QCOMPARE(activated.count(), 2);
        QCOMPARE(RuleTestDb::scalar(QStringLiteral("SELECT active FROM rules")).toInt(), 1);
    }

    void movingKeepsTheRuleSelected()
    {
        const int a = addRule(QStringLiteral("A"), {m_editor});
        addRule(QStringLiteral("B"), {m_editor});
        Harness h;
        QSignalSpy moved(&h.dialog, &RulesDialog::signalMoveRule);

        h.button("btnUp")->click();
        QCOMPARE(moved.first().at(1).toInt(), -1);
        QCOMPARE(h.names(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
        QCOMPARE(h.currentId(), a);

        h.button("btnDown")->click();
        QCOMPARE(moved.last().at(1).toInt(), 1);
        QCOMPARE(h.names(), (QStringList{QStringLiteral("B"), QStringLiteral("A")}));
        QCOMPARE(h.list->currentRow(), 1);
        QCOMPARE(h.currentId(), a);
    }

    void addingAndDuplicatingSelectTheLastRow()
    {
        addRule(QStringLiteral("A"), {m_editor});
        addRule(QStringLiteral("B"), {m_editor});
        Harness h;
        QSignalSpy added(&h.dialog, &RulesDialog::signalAddRuleDialog);

        // The editor was cancelled: nothing new, the last row still becomes current.
        h.button("btnAdd")->click();
        QCOMPARE(added.count(), 1);
        QCOMPARE(h.list->currentRow(), 1);

        h.list->setCurrentRow(0);
        h.button("btnDuplicate")->click();
        QCOMPARE(h.names(), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("Copy of A")}));
        QCOMPARE(h.list->currentRow(), 2);
    }

    void editingRoutes()
    {
        const int a = addRule(QStringLiteral("A"), {m_editor});
        const int b = addRule(QStringLiteral("B"), {m_editor});
        Harness h;
        QSignalSpy edit(&h.dialog, &RulesDialog::signalEditRuleDialog);
        QSignalSpy apply(&h.dialog, &RulesDialog::signalApplyRules);
        // The editor renames the rule while the signal is being handled.
        connect(&h.dialog, &RulesDialog::signalEditRuleDialog, this, [](int ruleId) {
            RuleFields fields;
            QVERIFY(RuleStore::loadRuleFields(ruleId, &fields));
            fields.name += QStringLiteral("!");
            RuleStore::updateRule(ruleId, fields);
        });

        h.dialog.selectRule(b);
        h.button("btnEdit")->click();
        QCOMPARE(edit.last().first().toInt(), b);
        QCOMPARE(h.names(), (QStringList{QStringLiteral("A"), QStringLiteral("B!")}));
        QCOMPARE(h.currentId(), b);

        Q_EMIT h.description->anchorClicked(QUrl(QStringLiteral("#")));
        QCOMPARE(edit.last().first().toInt(), b);

        Q_EMIT h.list->itemDoubleClicked(h.list->item(0));
        QCOMPARE(edit.last().first().toInt(), a);
        QCOMPARE(h.currentId(), a);
        QCOMPARE(edit.count(), 3);

        QListWidgetItem *before = h.list->item(0);
        h.button("btnApplyRules")->click();
        QCOMPARE(apply.count(), 1);
        QCOMPARE(h.list->item(0), before);
    }
};

QTEST_MAIN(TestRulesDialog)
#include "tst_rulesdialog.moc"
