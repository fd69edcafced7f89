#include "batch/platform.h"
