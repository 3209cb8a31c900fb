#include "renderstate.h"

RenderState &theRenderState()
{
    static RenderState state;
    return state;
}
