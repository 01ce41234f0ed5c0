#include "mountains_and_water.h"

void CmdGsls_Click(Surface& surface) { paintMountainsAndWater(surface); }
