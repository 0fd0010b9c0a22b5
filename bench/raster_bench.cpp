#include <benchmark/benchmark.h>

#include "raster/TBitmap.h"
