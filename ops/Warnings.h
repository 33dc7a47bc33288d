#pragma once

namespace rastero {

// The caller's choice about warnings, the library's only state outside its images: one unguarded
// byte, on from load. The library itself delivers no warnings; callers that do ask this switch.
void EnableWarnings();
void DisableWarnings();
bool WarningsEnabled();

}  // namespace rastero
