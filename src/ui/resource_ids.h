// The identifiers of the program's resources, shared by its resource script and its code.
#pragma once

// The program's icon: the first icon in the file, so the one Explorer shows for it too.
#define TRV_PROGRAM_ICON 1
