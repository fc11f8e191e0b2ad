#include "orvo/engine/rle4.h"
