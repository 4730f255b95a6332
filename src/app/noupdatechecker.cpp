#include "updatecheckerfactory.h"

#include "updatechecker.h"

std::unique_ptr<UpdateChecker> createUpdateChecker()
{
    return nullptr;
}
