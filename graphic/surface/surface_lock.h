// SurfaceLock as the graphic operations take it. The lock word and its scope live with the
// window records they guard (surface_lock_word.h, which states the rules of both waits).
#pragma once

#include "surface_lock_word.h"
