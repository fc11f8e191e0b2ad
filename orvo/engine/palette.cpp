#include "orvo/engine/palette.h"
