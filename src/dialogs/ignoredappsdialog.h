#pragma once

#include "settings.h"

#include <QDialog>
#include <QIcon>

#include <functional>
#include <memory>

namespace Ui {
class IgnoredAppsDialog;
}

// Edits a list of executables in the settings: the excluded applications, whose time the entry
// views leave out, or the never recorded ones, whose titles are never recorded (with the choice
// whether their time is kept). Every change goes to the settings at once; the caller refreshes the
// views when `listChanged` is set.
class IgnoredAppsDialog : public QDialog
{
    Q_OBJECT

public:
    enum class List { Excluded, NeverRecorded };

    // Asks for the path to add; an empty answer means cancelled.
    using PathPrompt = std::function<QString(QWidget *parent)>;
    using IconLookup = std::function<QIcon(const QString &path)>;

    explicit IgnoredAppsDialog(QWidget *parent = nullptr, IconLookup icons = {}, List list = List::Excluded);
    ~IgnoredAppsDialog() override;

    // Replaces the input dialog, for tests.
    void setPathPrompt(PathPrompt prompt) { m_prompt = std::move(prompt); }
    QStringList listedPaths() const;
    // The paths added while the dialog was open.
    QStringList addedPaths() const { return m_added; }

    bool listChanged = false;

public Q_SLOTS:
    void on_btRemove_clicked();
    void on_btAdd_clicked();

private:
    void addItem(const QString &path);

    std::unique_ptr<Ui::IgnoredAppsDialog> m_ui;
    IconLookup m_icons;
    PathPrompt m_prompt;
    SettingKey<QStringList> m_key;
    QStringList m_added;
};
