#pragma once

#include <QString>

#include <memory>

// Whether an application keeps the session from going idle (a video, a presentation): the user is
// there even without input.
class IdleInhibition
{
public:
    virtual ~IdleInhibition() = default;
    // What was last heard; never waits for an answer.
    virtual bool isInhibited() = 0;
    // Which mechanism this is, for the debug log.
    virtual QString description() const = 0;
};

// Asks every source that runs (logind's BlockInhibited, GNOME's session manager); inhibited while any
// says so. Without one, never inhibited. The choice goes to the debug log.
std::unique_ptr<IdleInhibition> createIdleInhibition();
