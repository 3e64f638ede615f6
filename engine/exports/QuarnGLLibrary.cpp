// libQuarnGL.so: the engine archive linked whole; this file only anchors the target.
#include "quarn/QuarnGL.h"
