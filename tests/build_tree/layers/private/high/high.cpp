#include "low/low.h"
#include "low/own.h"
