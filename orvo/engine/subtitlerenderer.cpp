#include "orvo/engine/subtitlerenderer.h"
