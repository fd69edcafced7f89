#include "engine/text_operations.h"
