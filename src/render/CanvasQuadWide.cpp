// Canvas: a mesh cell wholly on the canvas where the processor has eight
// lanes (AVX2), for callers not compiled for them.
#include "render/CanvasQuadWide.h"

namespace hyt {

__attribute__((target("avx2,fma"))) bool Canvas::QuadOnCanvasWide(const POINT* corners,
                                                                  unsigned segments)
{
    return QuadOnCanvasLanes(corners, segments);
}

} // namespace hyt
