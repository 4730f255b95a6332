#include "logging.h"

Q_LOGGING_CATEGORY(lcRecording, "tavro.recording", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPlatform, "tavro.platform", QtInfoMsg)
Q_LOGGING_CATEGORY(lcService, "tavro.service", QtInfoMsg)
Q_LOGGING_CATEGORY(lcStore, "tavro.store", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLinking, "tavro.linking", QtInfoMsg)
Q_LOGGING_CATEGORY(lcRules, "tavro.rules", QtInfoMsg)
