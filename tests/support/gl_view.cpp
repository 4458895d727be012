// The flat feedback view and the viewport check shared by the GL tests.
#include "support/gl_view.h"

#include <GL/gl.h>

FlatView set_flat_view(double half_side, double half_depth, int pixels_per_unit)
{
    const int side = static_cast<int>(2.0 * half_side * pixels_per_unit + 0.5);
    glViewport(0, 0, side, side);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-half_side, half_side, -half_side, half_side, -half_depth, half_depth);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    return FlatView{half_side, static_cast<double>(pixels_per_unit)};
}

::testing::AssertionResult viewport_is(int width, int height)
{
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (viewport[2] == width && viewport[3] == height)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the viewport is " << viewport[2] << " x " << viewport[3];
}
