// The image codec on the Windows Imaging Component: JPEG, PNG, BMP and GIF
// files in, BMP and PNG out.
#pragma once

#include <memory>

#include "picture/image_codec.h"

namespace kx {

// Starts COM on the calling thread when it is not started yet (and stops it
// again when the codec goes) and creates the imaging factory. Null when the
// factory cannot be created.
std::unique_ptr<ImageCodec> MakeWicCodec();

}  // namespace kx
