#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

class EntryReader;

namespace Ui {
class AwayEditDialog;
}

// Gives away time a description, typed or taken from a short list of presets. A value holder:
// set the entry ids, call load(), exec(), then read description().
class AwayEditDialog : public QDialog
{
    Q_OBJECT

public:
    // The entries are read from `entries`, not owned.
    explicit AwayEditDialog(const EntryReader &entries, QWidget *parent = nullptr);
    ~AwayEditDialog() override;

    void load();
    QString description() const;

    QStringList entryIds;

private Q_SLOTS:
    void on_listPresets_currentRowChanged(int currentRow);

private:
    std::unique_ptr<Ui::AwayEditDialog> m_ui;
    const EntryReader &m_entries;
};
