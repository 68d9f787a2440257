#include "tests/headless_fixture.h"
#include "app/headless.h"
#include "render/gl.h"
TEST_F(HeadlessGlTest, ClearsToRed)
{
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    auto px = HeadlessReadPixels();
    EXPECT_EQ(Pixel(px, 10, 10)[0], 255);
    EXPECT_EQ(Pixel(px, 10, 10)[1], 0);
    GLint depth = 0; glGetIntegerv(GL_DEPTH_BITS, &depth);
    printf("depth bits %d, renderer %s, version %s\n", depth, glGetString(GL_RENDERER), glGetString(GL_VERSION));
}
