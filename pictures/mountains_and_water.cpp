#include "mountains_and_water.h"

template void CmdGsls_Click<Surface, StandardMaths>(Surface&, const StandardMaths&);
