#include "addruledialog.h"

#include "contrast.h"

#include "appmetadata.h"
#include "cataloguechoices.h"
#include "logging.h"
#include "messagebox.h"
#include "rulematcher.h"
#include "ui_addruledialog.h"
#include "windowinfo.h"

#include <QAbstractItemModel>
#include <QCalendarWidget>
#include <QDebug>
#include <QFile>
#include <QPushButton>

AddRuleDialog::AddRuleDialog(QWidget *parent, const ProjectsCatalogue &catalogue,
                             const QList<ApplicationRow> &applications, AppMetadata *metadata)
    : QDialog(parent)
    , dateTo(QDate::currentDate())
    , dateFrom(QDate::currentDate())
    , m_ui(std::make_unique<Ui::AddRuleDialog>())
    , m_metadata(metadata)
{
    m_ui->setupUi(this);
    for (QDateEdit *edit : {m_ui->dateFrom, m_ui->dateIntervalFrom, m_ui->dateIntervalTo, m_ui->dateTo}) {
        edit->calendarWidget()->setFirstDayOfWeek(Qt::Monday);
    }
    m_ui->labelTitleError->hide();
    // An error red that stays readable on a dark palette too.
    QPalette error = m_ui->labelTitleError->palette();
    error.setColor(QPalette::WindowText, Contrast::readable(QColor(0xB0, 0x00, 0x00), error.color(QPalette::Window)));
    m_ui->labelTitleError->setPalette(error);
    fillTitleRules();
    loadProjects(catalogue);
    loadApplications(applications);
    connectEdits();
}

void AddRuleDialog::connectEdits()
{
    QPushButton *preview = m_ui->buttonBox->addButton(tr("Previe&w"), QDialogButtonBox::ActionRole);
    preview->setObjectName(QStringLiteral("btnPreview"));
    connect(preview, &QPushButton::clicked, this, &AddRuleDialog::previewRequested);

    const auto edited = [this] { Q_EMIT fieldsEdited(); };
    connect(m_ui->editTitle, &QLineEdit::textChanged, this, edited);
    connect(m_ui->cbTitleRule, &QComboBox::currentIndexChanged, this, edited);
    connect(m_ui->cbTasks, &QComboBox::currentIndexChanged, this, edited);
    for (QRadioButton *radio :
         {m_ui->radioAnyDate, m_ui->radioFromDate, m_ui->radioDateInterval, m_ui->radioUntilDate}) {
        connect(radio, &QRadioButton::toggled, this, edited);
    }
    for (QDateEdit *edit : {m_ui->dateFrom, m_ui->dateIntervalFrom, m_ui->dateIntervalTo, m_ui->dateTo}) {
        connect(edit, &QDateEdit::dateChanged, this, edited);
    }
    connect(m_ui->listAppsSelected->model(), &QAbstractItemModel::rowsInserted, this, edited);
    connect(m_ui->listAppsSelected->model(), &QAbstractItemModel::rowsRemoved, this, edited);
}

AddRuleDialog::~AddRuleDialog() = default;

void AddRuleDialog::fillTitleRules()
{
    m_ui->cbTitleRule->clear();
    m_ui->cbTitleRule->addItem(tr("match all words"), QStringLiteral("and"));
    m_ui->cbTitleRule->addItem(tr("match any word"), QStringLiteral("or"));
    m_ui->cbTitleRule->addItem(tr("match exact phrase"), QStringLiteral("exact"));
    m_ui->cbTitleRule->addItem(tr("match regexp"), QStringLiteral("regexp"));
}

void AddRuleDialog::loadApplications(const QList<ApplicationRow> &applications)
{
    m_ui->listAppsAll->clear();
    m_ui->listAppsSelected->clear();
    for (const ApplicationRow &application : applications) {
        // Only applications that can still run are offered, and never the away pseudo-application.
        if (application.path == QLatin1String(AwayApp::Path) || !QFile::exists(application.path)) {
            continue;
        }
        auto *item = new QListWidgetItem(application.name, m_ui->listAppsAll);
        // Every row gets an icon, the generic one when the desktop knows none, so the names align.
        QIcon icon = m_metadata ? m_metadata->icon(application.path) : QIcon();
        if (icon.isNull()) {
            icon = QIcon(QStringLiteral(":/icons/res/app.png"));
        }
        item->setIcon(icon);
        item->setData(Qt::UserRole, int(application.id));
        item->setToolTip(application.path);
    }
}

void AddRuleDialog::loadProjects(const ProjectsCatalogue &catalogue)
{
    projectsCatalogue = &catalogue;
    if (CatalogueChoices::fillProjects(m_ui->cbProjects, catalogue) && m_ui->cbProjects->count() > 0) {
        loadTasks(CatalogueChoices::currentId(m_ui->cbProjects));
    }
}

void AddRuleDialog::loadTasks(int wantedProjectId)
{
    ProjectsCatalogue::Project project;
    if (projectsCatalogue && CatalogueChoices::readProject(*projectsCatalogue, wantedProjectId, project)) {
        CatalogueChoices::fillTasks(m_ui->cbTasks, project);
    }
}

void AddRuleDialog::on_cbTasks_currentIndexChanged(int index)
{
    // Headings (task lists) cannot be chosen: move on to the next entry.
    if (index < 0 || m_ui->cbTasks->itemData(index).toInt() != 0) {
        return;
    }
    m_ui->cbTasks->setCurrentIndex(index + 1 < m_ui->cbTasks->count() ? index + 1 : -1);
}

void AddRuleDialog::on_cbProjects_activated(int index)
{
    const int id = m_ui->cbProjects->itemData(index).toInt();
    qCDebug(lcRules) << "proj activated: " << m_ui->cbProjects->itemText(index) << ", id = " << id;
    loadTasks(id);
}

void AddRuleDialog::moveItem(QListWidgetItem *item, QListWidget *target)
{
    auto *moved = new QListWidgetItem(item->icon(), item->text(), target);
    moved->setData(Qt::UserRole, item->data(Qt::UserRole));
    moved->setToolTip(item->toolTip());
    delete item;
}

void AddRuleDialog::moveSelected(QListWidget *source, QListWidget *target)
{
    const QList<QListWidgetItem *> selected = source->selectedItems();
    for (QListWidgetItem *item : selected) {
        moveItem(item, target);
    }
    target->sortItems(Qt::AscendingOrder);
}

void AddRuleDialog::on_listAppsSelected_itemDoubleClicked(QListWidgetItem *)
{
    moveSelected(m_ui->listAppsSelected, m_ui->listAppsAll);
}

void AddRuleDialog::on_listAppsAll_itemDoubleClicked(QListWidgetItem *)
{
    moveSelected(m_ui->listAppsAll, m_ui->listAppsSelected);
}

void AddRuleDialog::on_btnRemoveFromSelected_clicked()
{
    moveSelected(m_ui->listAppsSelected, m_ui->listAppsAll);
}

void AddRuleDialog::on_btnMoveToSelected_clicked()
{
    moveSelected(m_ui->listAppsAll, m_ui->listAppsSelected);
}

void AddRuleDialog::selectApplication(int appId)
{
    for (int row = 0; row < m_ui->listAppsAll->count(); ++row) {
        QListWidgetItem *item = m_ui->listAppsAll->item(row);
        if (item->data(Qt::UserRole).toInt() == appId) {
            moveItem(item, m_ui->listAppsSelected);
            m_ui->listAppsSelected->sortItems(Qt::AscendingOrder);
            return;
        }
    }
}

void AddRuleDialog::putData()
{
    m_ui->editName->setText(name);
    m_ui->editTitle->setText(title);
    m_ui->cbTitleRule->setCurrentIndex(m_ui->cbTitleRule->findData(titleRule));

    const int projectIndex = m_ui->cbProjects->findData(projectId);
    if (projectIndex >= 0) {
        m_ui->cbProjects->setCurrentIndex(projectIndex);
        loadTasks(projectId);
    } else {
        qCDebug(lcRules) << "putData error: could not find project id = " << projectId;
    }
    const int taskIndex = m_ui->cbTasks->findData(taskId);
    if (taskIndex >= 0) {
        m_ui->cbTasks->setCurrentIndex(taskIndex);
    } else {
        qCDebug(lcRules) << "putData error: could not find task id = " << taskId;
    }

    for (int appId : std::as_const(appIds)) {
        selectApplication(appId);
    }

    const QDate today = QDate::currentDate();
    for (QRadioButton *radio :
         {m_ui->radioAnyDate, m_ui->radioFromDate, m_ui->radioDateInterval, m_ui->radioUntilDate}) {
        // Exclusive buttons cannot all be unchecked while the group is exclusive.
        radio->setAutoExclusive(false);
        radio->setChecked(false);
        radio->setAutoExclusive(true);
    }
    for (QDateEdit *edit : {m_ui->dateFrom, m_ui->dateIntervalFrom, m_ui->dateIntervalTo, m_ui->dateTo}) {
        edit->setDate(today);
    }
    if (dateRule == QLatin1String("always")) {
        m_ui->radioAnyDate->setChecked(true);
    } else if (dateRule == QLatin1String("after")) {
        m_ui->radioFromDate->setChecked(true);
        m_ui->dateFrom->setDate(dateFrom);
    } else if (dateRule == QLatin1String("before")) {
        m_ui->radioUntilDate->setChecked(true);
        m_ui->dateTo->setDate(dateTo);
    } else if (dateRule == QLatin1String("between")) {
        m_ui->radioDateInterval->setChecked(true);
        m_ui->dateIntervalFrom->setDate(dateFrom);
        m_ui->dateIntervalTo->setDate(dateTo);
    }

    if (isUpdate) {
        setWindowTitle(tr("Update Rule"));
    } else {
        setWindowTitle(tr("New Rule"));
        m_ui->editName->selectAll();
    }
    showTitleError();
}

void AddRuleDialog::getData()
{
    setFields(editedFields());
}

RuleFields AddRuleDialog::editedFields() const
{
    RuleFields edited = fields();
    edited.name = m_ui->editName->text();
    edited.title = m_ui->editTitle->text();
    edited.titleRule = m_ui->cbTitleRule->currentData().toString();
    if (m_ui->radioAnyDate->isChecked()) {
        edited.dateRule = QStringLiteral("always");
    } else if (m_ui->radioFromDate->isChecked()) {
        edited.dateRule = QStringLiteral("after");
        edited.dateFrom = m_ui->dateFrom->date();
    } else if (m_ui->radioDateInterval->isChecked()) {
        edited.dateRule = QStringLiteral("between");
        edited.dateFrom = m_ui->dateIntervalFrom->date();
        edited.dateTo = m_ui->dateIntervalTo->date();
    } else if (m_ui->radioUntilDate->isChecked()) {
        edited.dateRule = QStringLiteral("before");
        edited.dateTo = m_ui->dateTo->date();
    }
    edited.projectId = m_ui->cbProjects->currentData().toInt();
    edited.taskId = m_ui->cbTasks->currentData().toInt();
    edited.appIds.clear();
    for (int row = 0; row < m_ui->listAppsSelected->count(); ++row) {
        edited.appIds << m_ui->listAppsSelected->item(row)->data(Qt::UserRole).toInt();
    }
    return edited;
}

RuleFields AddRuleDialog::fields() const
{
    return RuleFields{name, appIds, titleRule, title, dateRule, dateFrom, dateTo, projectId, taskId};
}

void AddRuleDialog::setFields(const RuleFields &fields)
{
    name = fields.name;
    appIds = fields.appIds;
    titleRule = fields.titleRule;
    title = fields.title;
    dateRule = fields.dateRule;
    dateFrom = fields.dateFrom;
    dateTo = fields.dateTo;
    projectId = fields.projectId;
    taskId = fields.taskId;
}

void AddRuleDialog::done(int result)
{
    if (result == QDialog::Accepted && m_ui->listAppsSelected->count() == 0) {
        MessageBox::critical(this, tr("Validation Error"), tr("Select at least one application."));
        return;
    }
    QDialog::done(result);
}

void AddRuleDialog::on_cbTitleRule_currentIndexChanged(int)
{
    showTitleError();
}

void AddRuleDialog::on_editTitle_textChanged(const QString &)
{
    showTitleError();
}

void AddRuleDialog::showTitleError()
{
    // An invalid pattern can be saved but never matches; say so while the user types.
    const bool isRegexp = m_ui->cbTitleRule->currentData().toString() == QLatin1String("regexp");
    const QString error = isRegexp ? RuleMatcher::regexpError(m_ui->editTitle->text()) : QString();
    m_ui->labelTitleError->setText(error.isEmpty() ? QString() : tr("Invalid regular expression: %1").arg(error));
    m_ui->labelTitleError->setVisible(!error.isEmpty());
}
