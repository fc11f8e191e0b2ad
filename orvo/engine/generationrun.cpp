#include "orvo/engine/generationrun.h"
