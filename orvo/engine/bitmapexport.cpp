#include "orvo/engine/bitmapexport.h"
