#include "orvo/engine/subtitlelist.h"
