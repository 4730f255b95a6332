#pragma once

#include "applook.h"

class EntryReader;

#include <QDate>
#include <QDialog>

#include <memory>

namespace Ui {
class TimestampsDialog;
}

// Lists the stored stretches behind a day, an application or one title, one line per entry.
// A value holder: set the fields, call load(), then exec().
class TimestampsDialog : public QDialog
{
    Q_OBJECT

public:
    // The entries are read from `entries`, not owned.
    explicit TimestampsDialog(const EntryReader &entries, QWidget *parent = nullptr);
    ~TimestampsDialog() override;

    void load();

    QDate day;
    // Empty: every application.
    QString appPath;
    // Empty: every title.
    QString title;
    AppLook look;

private:
    std::unique_ptr<Ui::TimestampsDialog> m_ui;
    const EntryReader &m_entries;
};
