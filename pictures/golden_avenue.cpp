#include "golden_avenue.h"

template void CmdJgdd_Click<Surface, StandardMaths>(Surface&, const StandardMaths&);
