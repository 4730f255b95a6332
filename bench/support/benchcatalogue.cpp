#include "benchcatalogue.h"

QString benchCatalogue(int projects)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\"?><rsp status=\"ok\"><projects>");
    int id = 0;
    for (int p = 0; p < projects; ++p) {
        xml += QStringLiteral("<project id=\"%1\" name=\"Project %1\"><client id=\"%2\" name=\"Client %2\"/>"
                              "<task_lists>")
                   .arg(++id)
                   .arg(p % 40 + 1);
        for (int l = 0; l < 10; ++l) {
            xml += QStringLiteral("<task_list id=\"%1\" name=\"List %1\"><tasks>").arg(++id);
            for (int t = 0; t < 10; ++t) {
                xml += QStringLiteral("<task id=\"%1\" name=\"Task %1\" complete=\"0\" billable=\"1\"/>").arg(++id);
            }
            xml += QStringLiteral("</tasks></task_list>");
        }
        xml += QStringLiteral("</task_lists></project>");
    }
    return xml + QStringLiteral("</projects></rsp>");
}
