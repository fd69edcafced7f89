#include "batch/file_write.h"
