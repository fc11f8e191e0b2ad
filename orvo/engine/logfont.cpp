#include "orvo/engine/logfont.h"
