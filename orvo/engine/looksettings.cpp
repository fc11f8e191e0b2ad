#include "orvo/engine/looksettings.h"
