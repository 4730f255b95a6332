#pragma once

#include <memory>

class UpdateChecker;

// The checker this build carries: the feed reader, or none in a build configured without the update
// check (its distribution brings the updates).
std::unique_ptr<UpdateChecker> createUpdateChecker();
