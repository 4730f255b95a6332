#pragma once

#include <QString>

// The addresses of the Tavro service, its update feed and its web pages, kept in one place.
namespace Hosts {
QString defaultServiceUrl();
QString appcastUrl();
QString helpPageUrl();
} // namespace Hosts
