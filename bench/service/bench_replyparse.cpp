// Cost of reading hostile and large service replies: time of ApiReply::parse (shape check and DOM) and
// of the streamed catalogue reader, and the resident memory each leaves grown, for the shapes that used to
// freeze or exhaust the program and for a large account's catalogue.

#include "apireply.h"
#include "benchcatalogue.h"
#include "benchdatabase.h"
#include "cataloguereader.h"
#include "shellfloor.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <QXmlStreamReader>

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

// The floor of any streamed reader: QXmlStreamReader reading every token of the reply and building nothing.
void measureTokens(QTextStream &out, const char *name, const QString &xml)
{
    const double cpuBefore = processCpuMs();
    QXmlStreamReader reader(xml);
    qint64 tokens = 0;
    while (!reader.atEnd()) {
        reader.readNext();
        ++tokens;
    }
    out << name << " (" << xml.size() / 1024 << " KiB, " << tokens << " tokens): cpu "
        << qRound(processCpuMs() - cpuBefore) << " ms\n";
    out.flush();
}

// Loads the reply as the session does, into a catalogue that lives on (as the shared one does).
void measureCatalogue(QTextStream &out, const char *name, const QString &xml, ProjectsCatalogue &catalogue)
{
    resetPeakRss();
    const long before = rssKiB();
    QElapsedTimer timer;
    timer.start();
    const double cpuBefore = processCpuMs();
    const bool loaded = CatalogueReader::load(xml, catalogue);
    const double cpuMs = processCpuMs() - cpuBefore;
    out << name << " (" << xml.size() / 1024 << " KiB): " << timer.elapsed() << " ms (cpu " << qRound(cpuMs)
        << " ms), peak RSS +" << (peakRssKiB() - before) << " KiB, " << (loaded ? "loaded" : "refused") << "\n";
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
    out << "catalogues, streamed into the catalogue's structures (a DOM of the 10 MB one took 1,043 ms and +618 MB "
           "on a quiet machine; target <= 150 ms and <= +40 MB):\n";
    ProjectsCatalogue small;
    measureCatalogue(out, "streamed catalogue of 50 projects", benchCatalogue(50), small);
    const QString largeReply = benchCatalogue(1500);
    measureTokens(out, "floor: QXmlStreamReader alone over the catalogue of 1500 projects", largeReply);
    ProjectsCatalogue large;
    measureCatalogue(out, "streamed catalogue of 1500 projects", largeReply, large);
    ProjectsCatalogue hostile;
    measureCatalogue(out, "streamed 100k nested levels", nested(100000), hostile);
    measureCatalogue(out, "streamed entity expansion", entityBomb(), hostile);
    out << loadLine() << " (a shared machine: times read higher under load)\n";
    return 0;
}
