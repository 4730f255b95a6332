#pragma once

// Hands the heap pages that are free back to the system. The C library keeps freed memory for
// reuse; a tray program that has just let go of a window's worth would otherwise hold it for hours.
void returnFreeHeap();
