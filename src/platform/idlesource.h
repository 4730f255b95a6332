#pragma once

#include <QProcessEnvironment>
#include <QString>

#include <memory>

// Seconds since the user last touched keyboard or mouse. A failed query reads as 0.
class IdleSource
{
public:
    virtual ~IdleSource() = default;
    virtual int idleSeconds() = 0;
    // Which mechanism this is, for the debug log.
    virtual QString description() const = 0;
};

// The idle source of the best backend for the session that has one and connects, else a source
// that always reads 0. The choice goes to the debug log.
std::unique_ptr<IdleSource>
createIdleSource(const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
