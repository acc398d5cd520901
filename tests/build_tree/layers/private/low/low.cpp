#include "low.h"
#include "own.h"
