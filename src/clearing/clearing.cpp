#include "clearing/clearing.h"

namespace Clearing {
void ClearCurrentSet() {}
void ClearAll() {}
} // namespace Clearing
