#include "cataloguecache.h"

CatalogueCache *CatalogueCache::instance()
{
    static CatalogueCache cache;
    return &cache;
}

void CatalogueCache::addTaskList(const QString &id, const QString &name)
{
    m_names.tasklistNames.insert(id, name);
}

void CatalogueCache::addTask(const QString &id, const QString &name, const QString &projectId,
                             const QString &tasklistId)
{
    m_names.taskNames.insert(id, name);
    m_names.taskParentProjects.insert(id, projectId);
    m_names.taskParentTasklists.insert(id, tasklistId);
}

void CatalogueCache::clear()
{
    m_document.clear();
    m_names = {};
}
