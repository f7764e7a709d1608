#pragma once
// The user's URL history store.
#include "core/Platform.h"

namespace purgelet {

// Empties the user's URL history store. When the store cannot be created an
// error is raised (Error, with the system's text for the failure); what
// its ClearHistory answers is not looked at.
void ClearUrlHistoryStore(const Platform& platform);

}  // namespace purgelet
