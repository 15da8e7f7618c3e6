#include "skin_deployment.h"

namespace quorlin {

// The window is shown as the system draws it until the skin is deployed.
void OnMainWindowCreated() {}

}  // namespace quorlin
