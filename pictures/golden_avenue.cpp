#include "golden_avenue.h"

void CmdJgdd_Click(Surface& surface) { paintGoldenAvenue(surface); }
