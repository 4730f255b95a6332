#pragma once

#include <QLoggingCategory>

// One category per area, "tavro.<area>". Their debug messages are off unless -debug switches them
// all on or QT_LOGGING_RULES picks some ("tavro.service.debug=true"). Never log a secret or a part
// of one: passwords, session tokens and API keys are named, not shown.
Q_DECLARE_LOGGING_CATEGORY(lcRecording)
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
Q_DECLARE_LOGGING_CATEGORY(lcService)
Q_DECLARE_LOGGING_CATEGORY(lcStore)
Q_DECLARE_LOGGING_CATEGORY(lcLinking)
Q_DECLARE_LOGGING_CATEGORY(lcRules)
