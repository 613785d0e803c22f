// SurfaceLock is defined with the window records (surface_lock_word.cpp): the dialog engine frees
// records under it whether or not a program connected the graphic entries. This file only
// keeps the graphic library's build list as it is.
#include "surface_lock.h"
