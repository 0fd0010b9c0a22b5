#include <gtest/gtest.h>

#include "raster/TBitmap.h"
