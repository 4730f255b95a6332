#include "heaprelease.h"

#include <malloc.h>

void returnFreeHeap()
{
    malloc_trim(0);
}
