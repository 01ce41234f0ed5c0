#pragma once

// The resources that tuxing.rc gives the program and its window uses. The
// icon group with the lowest number is the one a file manager shows for
// the executable.
#define TUXING_ICON 1
