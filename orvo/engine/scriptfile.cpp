#include "orvo/engine/scriptfile.h"
