// Cost of reading hostile and large service replies: time of ApiReply::parse (shape check and DOM) and
// the resident memory it leaves grown, for the shapes that used to freeze or exhaust the program.

#include "apireply.h"
#include "benchdatabase.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

namespace {
QString nested(int depth)
{
    return QStringLiteral("<rsp status=\"ok\">") + QStringLiteral("<a>").repeated(depth) +
           QStringLiteral("</a>").repeated(depth) + QStringLiteral("</rsp>");
}

QString entityBomb()
{
    QString dtd =
        QStringLiteral("<!DOCTYPE rsp [<!ENTITY e0 \"") + QString(64, QLatin1Char('x')) + QStringLiteral("\">");
    for (int i = 1; i < 10; ++i) {
        dtd += QStringLiteral("<!ENTITY e%1 \"").arg(i) + QStringLiteral("&e%1;").arg(i - 1).repeated(10) +
               QStringLiteral("\">");
    }
    QString body = QStringLiteral("&e9;").repeated(100000);
    return dtd + QStringLiteral("]><rsp status=\"ok\">") + body + QStringLiteral("</rsp>");
}

// A catalogue of `projects` projects with ten lists of ten tasks each, as the service sends it.
QString catalogue(int projects)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\"?><rsp status=\"ok\"><projects>");
    int id = 0;
    for (int p = 0; p < projects; ++p) {
        xml += QStringLiteral("<project id=\"%1\" name=\"Project %1\"><client id=\"1\" name=\"C\"/><task_lists>")
                   .arg(++id);
        for (int l = 0; l < 10; ++l) {
            xml += QStringLiteral("<task_list id=\"%1\" name=\"List\"><tasks>").arg(++id);
            for (int t = 0; t < 10; ++t) {
                xml += QStringLiteral("<task id=\"%1\" name=\"Task %1\" complete=\"0\" billable=\"1\"/>").arg(++id);
            }
            xml += QStringLiteral("</tasks></task_list>");
        }
        xml += QStringLiteral("</task_lists></project>");
    }
    return xml + QStringLiteral("</projects></rsp>");
}

void measure(QTextStream &out, const char *name, const QString &xml)
{
    const long before = peakRssKiB();
    QElapsedTimer timer;
    timer.start();
    QString why;
    const QDomDocument document = ApiReply::parse(xml, &why);
    const qint64 ms = timer.elapsed();
    out << name << " (" << xml.size() / 1024 << " KiB): " << ms << " ms, peak RSS +" << (peakRssKiB() - before)
        << " KiB, " << (document.isNull() ? QStringLiteral("refused: ") + why : QStringLiteral("accepted")) << "\n";
    out.flush();
}
} // namespace

int main()
{
    QTextStream out(stdout);
    out << "floors: no reply may take seconds or hundreds of MB; before the depth, DTD and size checks: "
           "10k levels 0.43 s, 100k levels 72 s, a 0.5 MB entity reply 1.5-2.3 GB\n";
    measure(out, "10k nested levels", nested(10000));
    measure(out, "100k nested levels", nested(100000));
    measure(out, "entity expansion", entityBomb());
    measure(out, "catalogue of 50 projects", catalogue(50));
    measure(out, "catalogue of 1500 projects", catalogue(1500));
    return 0;
}
