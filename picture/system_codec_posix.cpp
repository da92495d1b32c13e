#if !defined(_WIN32)
#include "picture/bmp_codec.h"

namespace kx {

std::unique_ptr<ImageCodec> MakeSystemImageCodec() { return std::make_unique<BmpCodec>(); }

}  // namespace kx
#endif
