#include "hosts.h"

QString Hosts::defaultServiceUrl()
{
    return QStringLiteral("https://api.tavro.example/service/");
}

QString Hosts::appcastUrl()
{
    return QStringLiteral("https://updates.tavro.example/downloads/tavrodesk/tavrodesk-linux.xml");
}

QString Hosts::helpPageUrl()
{
    return QStringLiteral("http://www.tavro.example/tavro-get-help.html");
}
