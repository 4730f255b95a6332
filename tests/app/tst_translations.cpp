#include "mainwindow.h"
#include "testsupport.h"
#include "windowgallery.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QXmlStreamReader>

namespace {
struct Message
{
    QString context;
    QString source;
    QString comment;
    bool numerus = false;
};

// Every text lupdate finds in the sources and forms now, not the catalogue committed earlier.
QList<Message> extractMessages(const QString &folder)
{
    const QString ts = folder + QStringLiteral("/fresh.ts");
    const QString sources = QStringLiteral(TAVRO_SOURCE_DIR);
    QProcess lupdate;
    lupdate.start(QStringLiteral(TAVRO_LUPDATE),
                  {QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none"),
                   sources + QStringLiteral("/src"), sources + QStringLiteral("/forms"), QStringLiteral("-ts"), ts});
    if (!lupdate.waitForFinished(120000) || lupdate.exitCode() != 0) {
        qWarning() << "lupdate failed:" << lupdate.readAllStandardError();
        return {};
    }
    QFile file(ts);
    file.open(QIODevice::ReadOnly);
    QXmlStreamReader xml(&file);
    QList<Message> messages;
    QString context;
    Message message;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const auto name = xml.name();
        if (name == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (name == QLatin1String("message")) {
            message =
                Message{context, {}, {}, xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes")};
        } else if (name == QLatin1String("source")) {
            message.source = xml.readElementText();
        } else if (name == QLatin1String("comment")) {
            message.comment = xml.readElementText();
        } else if (name == QLatin1String("translation")) {
            messages << message;
            xml.skipCurrentElement();
        }
    }
    return messages;
}

// %1 to %99, and whether %n is there: a translation must carry exactly what its source carries.
QStringList placeholders(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("%(\\d{1,2}|L?n)"));
    QStringList found;
    for (auto it = pattern.globalMatch(text); it.hasNext();) {
        found << it.next().captured(0);
    }
    found.sort();
    found.removeDuplicates();
    return found;
}

// Marks every text that reaches it through tr(). Texts of our own classes that lupdate did not
// find stay untranslated, as they would in every real catalogue; Qt's own texts are marked too.
class PseudoTranslator : public QTranslator
{
public:
    explicit PseudoTranslator(const QList<Message> &messages)
    {
        for (const Message &message : messages) {
            m_contexts.insert(message.context);
            m_known.insert(key(message.context, message.source, message.comment));
        }
    }

    static QString mark(const QString &text) { return QStringLiteral("\u27e6") + text + QStringLiteral("\u27e7"); }

    QString translate(const char *context, const char *sourceText, const char *disambiguation, int) const override
    {
        const QString contextName = QString::fromUtf8(context);
        const QString source = QString::fromUtf8(sourceText);
        if (m_contexts.contains(contextName) &&
            !m_known.contains(key(contextName, source, QString::fromUtf8(disambiguation)))) {
            return {};
        }
        return mark(source);
    }

    bool isEmpty() const override { return false; }

private:
    static QString key(const QString &context, const QString &source, const QString &comment)
    {
        return context + QChar(0) + source + QChar(0) + comment;
    }

    QSet<QString> m_contexts;
    QSet<QString> m_known;
};

// Widgets whose text is the user's data or a date, number or name formatted by the locale.
const QSet<QString> dataWidgets{QStringLiteral("headerBar"),    QStringLiteral("labelDate"),
                                QStringLiteral("labelWebSite"), QStringLiteral("cbProjects"),
                                QStringLiteral("cbTasks"),      QStringLiteral("cbTaskLists")};

// Words to translate; an address such as "https://..." is none.
bool needsWords(const QString &text)
{
    static const QRegularExpression words(QStringLiteral("\\p{L}{2,}"));
    static const QRegularExpression address(QStringLiteral("^\\w+://"));
    return text.contains(words) && !text.contains(address);
}

class Walk
{
public:
    QStringList untranslated;

    void window(QWidget *top)
    {
        check(top, QStringLiteral("window title"), top->windowTitle());
        widget(top);
        for (QWidget *child : top->findChildren<QWidget *>()) {
            if (child->window() == top && !isData(child)) {
                widget(child);
            }
        }
        if (auto *main = qobject_cast<QMainWindow *>(top)) {
            check(main, QStringLiteral("status"), main->statusBar()->currentMessage());
            for (QAction *menu : main->menuBar()->actions()) {
                action(main->menuBar(), menu);
            }
        }
    }

    void action(QObject *owner, QAction *item)
    {
        if (item->isSeparator()) {
            return;
        }
        check(owner, QStringLiteral("action"), item->text());
        check(owner, QStringLiteral("action tip"), item->toolTip());
        check(owner, QStringLiteral("action status tip"), item->statusTip());
        if (item->menu()) {
            for (QAction *sub : item->menu()->actions()) {
                action(item->menu(), sub);
            }
        }
    }

private:
    static bool isData(const QWidget *widget)
    {
        for (const QWidget *up = widget; up; up = up->parentWidget()) {
            if (dataWidgets.contains(up->objectName()) || qobject_cast<const QCalendarWidget *>(up)) {
                return true;
            }
        }
        return false;
    }

    void widget(QWidget *item)
    {
        check(item, QStringLiteral("tool tip"), item->toolTip());
        check(item, QStringLiteral("status tip"), item->statusTip());
        check(item, QStringLiteral("accessible name"), item->accessibleName());
        check(item, QStringLiteral("accessible description"), item->accessibleDescription());
        if (auto *label = qobject_cast<QLabel *>(item)) {
            check(item, QStringLiteral("label"), label->text());
        } else if (auto *button = qobject_cast<QAbstractButton *>(item)) {
            check(item, QStringLiteral("button"), button->text());
        } else if (auto *group = qobject_cast<QGroupBox *>(item)) {
            check(item, QStringLiteral("group"), group->title());
        } else if (auto *edit = qobject_cast<QLineEdit *>(item)) {
            check(item, QStringLiteral("placeholder"), edit->placeholderText());
        } else if (auto *combo = qobject_cast<QComboBox *>(item); combo && !combo->isEditable()) {
            for (int i = 0; i < combo->count(); ++i) {
                check(item, QStringLiteral("choice"), combo->itemText(i));
            }
        } else if (auto *view = qobject_cast<QAbstractItemView *>(item); view && view->model()) {
            for (int column = 0; column < view->model()->columnCount(); ++column) {
                check(item, QStringLiteral("column"), view->model()->headerData(column, Qt::Horizontal).toString());
            }
        }
        for (QAction *item_action : item->actions()) {
            action(item, item_action);
        }
    }

    void check(const QObject *where, const QString &what, const QString &text)
    {
        if (needsWords(text) && !text.contains(QChar(0x27e6))) {
            QString path;
            for (const QObject *up = where; up; up = up->parent()) {
                path.prepend(QLatin1Char('/') + (up->objectName().isEmpty()
                                                     ? QString::fromLatin1(up->metaObject()->className())
                                                     : up->objectName()));
            }
            untranslated << QStringLiteral("%1 %2: \"%3\"").arg(path, what, text);
        }
    }
};
} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        m_messages = extractMessages(m_folder.path());
        QVERIFY(m_messages.size() > 300);
    }

    // German users get every text in German, with the same placeholders and both plural forms.
    void germanCatalogueIsComplete()
    {
        QTranslator german;
        QVERIFY(german.load(QStringLiteral(":/i18n/tavrodesk_de.qm")));
        QStringList problems;
        for (const Message &message : std::as_const(m_messages)) {
            const QByteArray context = message.context.toUtf8();
            const QByteArray source = message.source.toUtf8();
            const QByteArray comment = message.comment.toUtf8();
            for (int n : message.numerus ? QList<int>{1, 2} : QList<int>{-1}) {
                const QString text = german.translate(context.constData(), source.constData(),
                                                      comment.isEmpty() ? nullptr : comment.constData(), n);
                if (text.isEmpty()) {
                    problems << QStringLiteral("untranslated %1: %2").arg(message.context, message.source);
                } else if (placeholders(text) != placeholders(message.source)) {
                    problems << QStringLiteral("placeholders differ %1: %2").arg(message.context, message.source);
                }
            }
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    // Under a pseudo-translation every text of every window is marked: none bypasses tr().
    void everyWindowSpeaksThroughTr()
    {
        PseudoTranslator pseudo(m_messages);
        QCoreApplication::installTranslator(&pseudo);
        WindowGallery::prepareOfflineStart();
        MainWindow window;
        WindowGallery::showWithSampleDay(&window);
        QTRY_VERIFY(window.isInitialised());
        const QList<QWidget *> dialogs =
            WindowGallery::openDialogs(&window, TestSupport::fixtureReply(QStringLiteral("projects.xml")));

        Walk walk;
        walk.window(&window);
        for (QWidget *dialog : dialogs) {
            walk.window(dialog);
        }
        for (QAction *item : window.trayMenu()->actions()) {
            walk.action(window.trayMenu(), item);
        }
        QCoreApplication::removeTranslator(&pseudo);
        QVERIFY2(walk.untranslated.isEmpty(), qPrintable(walk.untranslated.join(QLatin1Char('\n'))));
    }

private:
    QTemporaryDir m_folder;
    QList<Message> m_messages;
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
