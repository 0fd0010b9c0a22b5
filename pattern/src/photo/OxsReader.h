#pragma once

// The OXS reader moved to the pattern layer; this name stands only until MakePattern.cpp
// includes pattern/OxsReader.h. Remove it then.
#include "pattern/OxsReader.h"
