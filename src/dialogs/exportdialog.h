#pragma once

#include <QDate>
#include <QDialog>

class Clock;
class DateRangePicker;
class QLineEdit;
class QRadioButton;

// Asks what to export: the shown day or a range of days, CSV or JSON, and the file. A value
// holder like the other dialogs: the caller reads the fields after acceptance and exports.
class ExportDialog : public QDialog
{
    Q_OBJECT

public:
    // `clock` is not owned; null means the system clock.
    ExportDialog(const QDate &selectedDay, Clock *clock = nullptr, QWidget *parent = nullptr);

    // Copies the widgets into the fields; call after acceptance.
    void getData();

    QDate dateFrom;
    QDate dateTo;
    bool json = false;
    QString path;

    DateRangePicker *rangePicker() const { return m_range; }
    QLineEdit *pathEdit() const { return m_path; }
    QRadioButton *jsonButton() const { return m_json; }

    // Refuses an empty file name or a range that ends before it starts, with a box.
    void done(int result) override;

private:
    void browse();
    // Proposes a file named after the range, keeping a folder the user chose.
    void proposePath();

    DateRangePicker *m_range;
    QRadioButton *m_csv;
    QRadioButton *m_json;
    QLineEdit *m_path;
    bool m_pathEdited = false;
};
