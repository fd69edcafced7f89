#include "batch/path_helpers.h"
