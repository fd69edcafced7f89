#include "batch/batch_run.h"
