#include "orvo/engine/textdecoding.h"
