#include "engine/text_file.h"
