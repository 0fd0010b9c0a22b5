#pragma once

#include <xcb/xcb.h>

#include <cstdlib>

#include "raster/Owned.h"

namespace brodix {

inline void FreeXcbReply(void* reply) {
    std::free(reply);
}

// A reply of the X server, which xcb hands over to be released with free().
template <class Reply>
using XcbReply = Owned<Reply, FreeXcbReply>;

}  // namespace brodix
