#include "ops/Warnings.h"

namespace rastero {

namespace {

bool warningsEnabled = true;

}  // namespace

void EnableWarnings() { warningsEnabled = true; }

void DisableWarnings() { warningsEnabled = false; }

bool WarningsEnabled() { return warningsEnabled; }

}  // namespace rastero
